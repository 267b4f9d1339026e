// A large piece of state that a fuzz target needs anew for every input (the
// reading queues, some 70 KB): one object for the whole run, set back to new
// at each call. A fresh allocation per input, which the address sanitizer
// fills and takes from memory it has not touched yet, cost more than most
// inputs' work.
#pragma once

namespace tesselog {

template <typename T>
T& FreshState() {
    static T* const object = new T();
    *object = T();
    return *object;
}

}  // namespace tesselog
