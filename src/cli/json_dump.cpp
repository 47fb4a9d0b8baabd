#include "cli/json_dump.h"

#include <cmath>
#include <cstdio>

#include "model/cp932.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "model/render_settings.h"

namespace marquetta {
namespace {

void AppendString(std::string& out, std::string_view cp932) {
    const std::string utf8 = Cp932ToUtf8(cp932);
    out += '"';
    for (const char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

// JSON has no NaN or infinity; a file may hold them, so they are written as strings
// rather than lost.
void AppendNumber(std::string& out, double value, const char* format) {
    if (std::isnan(value)) {
        out += "\"NaN\"";
    } else if (std::isinf(value)) {
        out += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    } else {
        char text[32];
        std::snprintf(text, sizeof text, format, value);
        out += text;
    }
}

void AppendDouble(std::string& out, double value) { AppendNumber(out, value, "%.17g"); }
void AppendFloat(std::string& out, float value) { AppendNumber(out, value, "%.9g"); }

void AppendPoints(std::string& out, const Float3 (&points)[4]) {
    out += '[';
    for (int i = 0; i < 4; ++i) {
        out += i ? ", [" : "[";
        AppendFloat(out, points[i].x);
        out += ", ";
        AppendFloat(out, points[i].y);
        out += ", ";
        AppendFloat(out, points[i].z);
        out += ']';
    }
    out += ']';
}

void AppendKey(std::string& out, const char* key) {
    out += '"';
    out += key;
    out += "\": ";
}

}  // namespace

void WriteDrawingJson(const CZorader_ezDoc& doc,
                      const std::function<void(std::string_view)>& sink) {
    std::string out = "{\n  ";
    AppendKey(out, "banner");
    AppendString(out, g_fileBanner);
    out += ",\n  ";
    AppendKey(out, "sky");
    AppendString(out, g_skyTexture);
    out += ",\n  ";
    AppendKey(out, "ground");
    AppendString(out, g_groundTexture);
    const std::pair<const char*, double> settings[] = {{"north", g_sunNorth},
                                                       {"season", g_sunSeason},
                                                       {"latitude", g_sunLatitude},
                                                       {"hour", g_sunHour}};
    for (const auto& [key, value] : settings) {
        out += ",\n  ";
        AppendKey(out, key);
        AppendDouble(out, value);
    }
    out += ",\n  \"layers\": [";
    static const char* const kAttributeKeys[LAYER_ATTRIBUTE_COUNT] = {
        "red", "green", "blue", "transparency", "reflection", "visible"};
    const int layers = std::min(std::max(g_layerCount, 0), kLayerSlots);
    for (int i = 0; i < layers; ++i) {
        out += i ? ",\n    {" : "\n    {";
        AppendKey(out, "name");
        AppendString(out, g_layerNames[i]);
        for (int a = 0; a < LAYER_ATTRIBUTE_COUNT; ++a) {
            out += ", ";
            AppendKey(out, kAttributeKeys[a]);
            AppendDouble(out, g_layerAttributes[i][a]);
        }
        out += ", ";
        AppendKey(out, "texture");
        AppendString(out, g_layerTextures[i]);
        out += '}';
    }
    out += layers ? "\n  ],\n  \"shapes\": [" : "],\n  \"shapes\": [";
    bool first = true;
    for (const auto& shape : doc.m_shapes) {
        out += first ? "\n    {" : ",\n    {";
        first = false;
        AppendKey(out, "type");
        out += std::to_string(shape->m_nType);
        out += ", ";
        AppendKey(out, "selected");
        out += std::to_string(shape->m_bSelected);
        out += ", ";
        AppendKey(out, "layer");
        AppendString(out, shape->m_strLayer);
        out += ", ";
        AppendKey(out, "attr");
        out += '[';
        for (int c = 0; c < 3; ++c) {
            if (c) {
                out += ", ";
            }
            AppendFloat(out, shape->m_attr[c]);
        }
        out += "], ";
        AppendKey(out, "points");
        AppendPoints(out, shape->m_pt);
        out += ", ";
        AppendKey(out, "normals");
        AppendPoints(out, shape->m_normal);
        out += ", ";
        AppendKey(out, "text");
        AppendString(out, shape->m_strText);
        out += '}';
        if (out.size() > 60000) {
            sink(out);
            out.clear();
        }
    }
    out += first ? "]\n}\n" : "\n  ]\n}\n";
    sink(out);
}

std::string DrawingToJson(const CZorader_ezDoc& doc) {
    std::string json;
    WriteDrawingJson(doc, [&](std::string_view piece) { json += piece; });
    return json;
}

}  // namespace marquetta
