// The pens and brushes that the logging screen draws with, made once and
// shared, so that a drawing call selects an existing object instead of
// creating and deleting one. The fixed objects (greys, black, white, status
// colours, the background-file pens, the button face, the 50 amplitude
// colours) live as long as the cache; the ones that follow the settings (the map's cursor and position
// colours, the profile curves and bars) are remade by Remake after the
// display options change, the old ones deleted first.
//
// GdiCanvas looks up the installed cache for every pen and brush it is
// asked for and creates an object of its own only for a colour or width
// that is not here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "core/platform/canvas.h"
#include "core/settings/settings.h"

namespace tesselog::win32 {

class GdiObjectCache {
public:
    // Makes the fixed objects; the button face is the system's colour now.
    GdiObjectCache();
    ~GdiObjectCache();
    GdiObjectCache(const GdiObjectCache&) = delete;
    GdiObjectCache& operator=(const GdiObjectCache&) = delete;

    // Deletes the objects that follow the settings, then makes them anew.
    void Remake(const Settings& settings);

    // The shared solid pen or brush of that colour (and width), or nullptr.
    HPEN FindPen(Color color, int width) const;
    HBRUSH FindBrush(Color color) const;

    // Objects held, fixed and remade together.
    size_t ObjectCount() const;

private:
    struct Objects {
        std::unordered_map<uint64_t, HPEN> Pens;
        std::unordered_map<uint32_t, HBRUSH> Brushes;
    };
    static uint64_t PenKey(Color color, int width);
    // Adds the pen or brush unless the fixed set or the target has it.
    void AddPen(Objects& target, Color color, int width);
    void AddBrush(Objects& target, Color color);
    static void DeleteAll(Objects& objects);

    // A reader thread may draw (a connection break) while the user-interface
    // thread remakes; the lock keeps the tables whole.
    mutable std::mutex lock_;
    Objects fixed_;
    Objects settings_;
};

// The cache GdiCanvas uses; nullptr (the default) makes every object on
// demand. The logging screen installs its cache at start-up.
void InstallGdiObjects(GdiObjectCache* cache);
GdiObjectCache* InstalledGdiObjects();

// Remakes the installed cache's settings objects, if a cache is installed:
// after the Profile Options and Map Display Options dialogs.
void RemakeGdiObjects(const Settings& settings);

}  // namespace tesselog::win32
