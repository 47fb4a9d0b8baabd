#include "exchange/insert_file.h"

#include <cmath>
#include <cstdio>

#include "model/binary_file.h"
#include "model/layers.h"
#include "model/native_file.h"

namespace marquetta {

namespace {

InsertResult Insert(CZorader_ezDoc& doc, BinaryReader& reader, const std::string& path) {
    InsertResult result;
    DrawingFileContents contents;
    const FileError error = ReadDrawingContents(reader, contents);
    if (error != FileError::None) {
        result.message = {FileErrorMessage(error, path), kApplicationCaption,
                          MessageIcon::Exclamation};
        return result;
    }

    MergeDrawingContents(doc, contents, result);
    result.inserted = true;
    return result;
}

}  // namespace

void MergeDrawingContents(CZorader_ezDoc& doc, DrawingFileContents& contents,
                          InsertResult& result) {
    for (StoredLayer& layer : contents.layers) {
        if (FindLayer(layer.name) < g_layerCount || g_layerCount >= kMaxEnsuredLayers) {
            continue;
        }
        g_layerNames[g_layerCount] = std::move(layer.name);
        g_layerAttributes[g_layerCount] = layer.attributes;
        g_layerTextures[g_layerCount] = std::move(layer.texture);
        ++g_layerCount;
        ++result.layersAdded;
    }

    CShape& current = doc.m_current;
    for (const CShape& shape : contents.shapes) {
        current.m_nType = shape.m_nType;
        current.m_bSelected = 1;
        doc.SetCurrentLayer(shape.m_strLayer);
        for (int i = 0; i < 3; ++i) {
            current.m_attr[i] = shape.m_attr[i];
        }
        for (int i = 0; i < 4; ++i) {
            current.m_pt[i] = shape.m_pt[i];
            current.m_normal[i] = shape.m_normal[i];
        }
        doc.SetCurrentText(shape.m_strText);
        doc.AddCurrentShape();
    }
    result.shapesAdded = contents.shapes.size();
    current.m_nType = SHAPE_NONE;
    g_displayListValid = 0;
}

namespace {

bool Finite(const Float3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The values a shape's kind uses: its points, and the sizes and angles kept in them.
bool FiniteValues(const CShape& shape) {
    const Float3* pt = shape.m_pt;
    switch (shape.m_nType) {
        case SHAPE_CIRCLE:
            return Finite(pt[0]) && std::isfinite(pt[1].x);
        case SHAPE_FACE:
            return Finite(pt[0]) && Finite(pt[1]) && Finite(pt[2]) && Finite(pt[3]);
        default:  // lines, arcs and texts
            return Finite(pt[0]) && Finite(pt[1]);
    }
}

std::string TooLong(const char* what) {
    char text[160];
    std::snprintf(text, sizeof text, "%zu バイトを超える%sがあります", kMaxClipboardStringBytes,
                  what);
    return text;
}

}  // namespace

std::string ClipboardShapeProblem(const CShape& shape) {
    if (shape.m_nType < SHAPE_LINE || shape.m_nType > SHAPE_TEXT) {
        char text[96];
        std::snprintf(text, sizeof text, "種類 %d の図形は扱えません",
                      static_cast<int>(shape.m_nType));
        return text;
    }
    if (!FiniteValues(shape)) {
        return "座標や大きさが数でない図形があります";
    }
    if (shape.m_strText.size() > kMaxClipboardStringBytes) {
        return TooLong("文字");
    }
    if (shape.m_strLayer.size() > kMaxClipboardStringBytes) {
        return TooLong("画層名");
    }
    return {};
}

std::string ClipboardContentsProblem(const DrawingFileContents& contents) {
    for (const StoredLayer& layer : contents.layers) {
        if (layer.name.size() > kMaxClipboardStringBytes) {
            return TooLong("画層名");
        }
        if (layer.texture.size() > kMaxClipboardStringBytes) {
            return TooLong("材質");
        }
    }
    for (const CShape& shape : contents.shapes) {
        if (std::string problem = ClipboardShapeProblem(shape); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

InsertResult InsertDrawingFile(CZorader_ezDoc& doc, const std::string& path,
                               const std::function<void()>& runCancelCommand) {
    if (runCancelCommand) {
        runCancelCommand();
    }
    BinaryReader reader;
    if (reader.Open(path) != FileError::None) {
        InsertResult result;
        result.message = CannotOpenMessage(path);
        return result;
    }
    return Insert(doc, reader, path);
}

InsertResult InsertDrawingBytes(CZorader_ezDoc& doc, std::string_view bytes,
                                const std::string& path,
                                const std::function<void()>& runCancelCommand) {
    if (runCancelCommand) {
        runCancelCommand();
    }
    BinaryReader reader;
    reader.OpenBytes(bytes);
    return Insert(doc, reader, path);
}

}  // namespace marquetta
