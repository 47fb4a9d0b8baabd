#include "exchange/insert_file.h"

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
