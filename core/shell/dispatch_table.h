// Message dispatch by table: every window class keeps a static table of
// (message code, handler) pairs. The window procedure searches it in order,
// calls the first handler whose code matches and returns its result; an
// unmatched message goes to the fallback (the default window procedure).
// The handler type is a template parameter so that the Win32 layer uses its
// window-procedure signature and the tests plain functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tesselog {

template <typename Handler>
struct MessageEntry {
    uint32_t Message;
    Handler Handle;
};

template <typename Handler>
struct MessageTable {
    const MessageEntry<Handler>* Entries = nullptr;
    size_t Count = 0;

    // The first handler listed for the message, or a null handler.
    Handler Find(uint32_t message) const {
        for (size_t i = 0; i < Count; ++i) {
            if (Entries[i].Message == message) return Entries[i].Handle;
        }
        return Handler{};
    }
};

template <typename Handler, size_t N>
constexpr MessageTable<Handler> MakeMessageTable(const MessageEntry<Handler> (&entries)[N]) {
    return {entries, N};
}

// A class that handles nothing yet: every message goes to the fallback.
template <typename Handler>
constexpr MessageTable<Handler> EmptyMessageTable() {
    return {nullptr, 0};
}

// The window procedure's body: the matching handler's result, or the
// fallback's for a message the table does not list.
template <typename Handler, typename Fallback, typename... Args>
auto DispatchThroughTable(const MessageTable<Handler>& table, uint32_t message, Fallback fallback, Args... args) {
    if (Handler handler = table.Find(message)) return handler(args...);
    return fallback(args...);
}

}  // namespace tesselog
