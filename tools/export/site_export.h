// tesselog-export over a site walked in several data files: one set of
// outputs for them all. Two workers read the files at once, each file on
// its own: its rows of the tables into a part of their own (joined in the
// files' order at the end), its line report and track into text, its
// placed readings summed into the site's cells (raw, and processed on a
// copy). What is kept of a file is its cells and texts, so memory follows
// the ground the site covers, not its readings. Then the levels of the files
// against each other, the grids and pictures of the whole site, and every
// output put in place together or not at all.
#pragma once

#include <string>
#include <vector>

#include "tools/export/export_options.h"

namespace tesselog {

// The data files named on the command line, a folder standing for its
// .MGR and .GXY files in name order. Empty with `error` when a folder holds
// none.
std::vector<std::string> ExpandSiteFiles(const std::vector<std::string>& arguments, std::string& error);

// The export of several files (o.Paths): 0 every file exported, 3 exported
// with a file left out (named on stderr), 1 or 2 as for one file when no
// file could be read or an output could not be written.
int RunSite(const Options& o);

}  // namespace tesselog
