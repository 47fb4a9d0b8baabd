// A readable JSON dump of a whole drawing: the rendering settings, the layer table and
// every shape, strings converted from CP932 to UTF-8, numbers printed so that they
// read back to the same value.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/document.h"

namespace marquetta {

// Hands the JSON text to `sink` piece by piece, so a large drawing is never held
// in memory as one string.
void WriteDrawingJson(const CZorader_ezDoc& doc, const std::function<void(std::string_view)>& sink);

std::string DrawingToJson(const CZorader_ezDoc& doc);

}  // namespace marquetta
