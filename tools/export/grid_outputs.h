// The export's grid of a set of placed readings and its pictures: the ESRI
// ASCII grid with its .prj; for a GIS, the grid alone as a picture with its
// world file (PREFIX.png, PREFIX-grey.png); for people, the map sheet
// without one (PREFIX-sheet.png, PREFIX-grey-sheet.png).
#pragma once

#include <string>
#include <vector>

#include "core/export/output_set.h"
#include "core/export/quick_grid.h"
#include "core/export/survey_walk.h"
#include "tools/export/export_options.h"

namespace tesselog {

// The grid of `points` in the cells and fill the options ask for; empty
// (with the reason on stderr) when there is none.
QuickGrid BuildGrid(const Options& o, const SurveyWalk& walk, const std::vector<GridPoint>& points);

// Writes the grid's files under `base`; `processing` names what was done to
// the values (empty for the raw readings). 0, 1 for an empty grid, 2 when a
// file cannot be written. May run beside another such writing on the same
// output set.
int WriteGrid(OutputSet& out, Summary& summary, const Options& o, const std::string& base, const SurveyWalk& walk,
              const QuickGrid& grid, const std::string& processing);

}  // namespace tesselog
