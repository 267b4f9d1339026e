// The grid in the binary formats that processing packages and a GIS open
// directly: the Surfer 7 binary grid and a GeoTIFF of 32-bit floats.
//
// Surfer 7 ("DSRB" header, "GRID" and "DATA" sections, little-endian): the
// grid's values are nodes, so the first node lies half a cell inside the
// grid's south-west corner and the nodes cover the same ground as the ESRI
// grid's cells; rows from south to north, doubles, 1.70141e38 where there is
// no data. Surfer's grid carries no coordinate system: GDAL and QGIS take it
// from the side file PREFIX.grd.aux.xml.
//
// GeoTIFF (TIFF 6.0, little-endian, one strip, uncompressed): the cells as
// 32-bit floats, rows from north to south, -9999 where there is no data (its
// GDAL_NODATA tag), placed by ModelPixelScale and ModelTiepoint at the
// north-west corner, and for UTM the coordinate system in its GeoKeys: in
// metres the EPSG code of WGS 84 / UTM, in feet or US survey feet the UTM
// projection's own EPSG code with WGS 84 and the unit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/export/quick_grid.h"

namespace tesselog {

class File;

constexpr double SurferNoData = 1.70141e38;

// The whole file's bytes (for tests), or written to `file` a piece at a
// time (false when a write failed).
std::string SurferGridBytes(const QuickGrid& grid);
bool WriteSurferGrid(File& file, const QuickGrid& grid);

// How a GeoTIFF names its coordinate system: UTM zone 1..60 with its
// hemisphere (+1 north, -1 south) in a display unit (0 metres, 1 feet, 2 US
// survey feet); zone 0: no coordinate system (a local or receiver grid).
struct GeoTiffSystem {
    int32_t Zone = 0;
    int32_t Hemisphere = 0;
    int32_t DisplayUnits = 0;
};

std::string GeoTiffBytes(const QuickGrid& grid, const GeoTiffSystem& system);
bool WriteGeoTiff(File& file, const QuickGrid& grid, const GeoTiffSystem& system);

}  // namespace tesselog
