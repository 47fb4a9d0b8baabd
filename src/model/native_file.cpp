#include "model/native_file.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "model/binary_file.h"
#include "model/cp932.h"
#include "model/layers.h"
#include "model/render_settings.h"

namespace marquetta {

const std::string g_fileBanner = "Tarno_III V0.08     ";

namespace {

// The archive's tags in front of each stored object.
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint32_t kBigClassTag = 0x80000000;
constexpr char kShapeClassName[] = "CShape";
constexpr uint16_t kShapeSchema = 0;

// The 33 four-byte values between a shape's two strings.
constexpr size_t kShapeBodyWords = 3 + 6 + 12 + 12;
// The least a layer record and a shape record can take: empty strings, and for a
// shape the two-byte class reference.
constexpr uint64_t kMinLayerRecord = 1 + 6 * 8 + 1;
constexpr uint64_t kMinShapeRecord = 2 + 4 + 4 + 1 + kShapeBodyWords * 4 + 1;

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

// ---- writing ----

// The 33 words go straight into the fields, which hold them in the same order.
static_assert(sizeof(Float3) == 3 * sizeof(float) && sizeof(CShape::m_attr) == 3 * size_t{4} &&
                  sizeof(CShape::m_reserved) == 6 * size_t{4} &&
                  sizeof(CShape::m_pt) == 12 * size_t{4} &&
                  sizeof(CShape::m_normal) == 12 * size_t{4},
              "a shape's words are read and written field by field");


// Bytes gathered in memory, written as a file would be.
struct MemoryWriter {
    std::string bytes;
    void Write(const void* data, size_t count) { bytes.append(static_cast<const char*>(data), count); }
    template <class T>
    void Put(T value) {
        Write(&value, sizeof value);
    }
};

template <class Writer>
void PutString(Writer& w, const std::string& s) {
    const size_t n = s.size();
    if (n < 0xFF) {
        w.template Put<uint8_t>(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        w.template Put<uint8_t>(0xFF);
        w.template Put<uint16_t>(static_cast<uint16_t>(n));
    } else if (n <= 0xFFFFFFFFu) {
        w.template Put<uint8_t>(0xFF);
        w.template Put<uint16_t>(0xFFFF);
        w.template Put<uint32_t>(static_cast<uint32_t>(n));
    } else {
        throw FileFailure{FileError::SaveFailed};
    }
    w.Write(s.data(), n);
}

template <class Writer>
void PutShapeBody(Writer& w, const CShape& shape) {
    w.template Put<int32_t>(shape.m_nType);
    w.template Put<int32_t>(shape.m_bSelected);
    PutString(w, shape.m_strLayer);
    w.Write(shape.m_attr, sizeof shape.m_attr);
    w.Write(shape.m_reserved, sizeof shape.m_reserved);
    w.Write(shape.m_pt, sizeof shape.m_pt);
    w.Write(shape.m_normal, sizeof shape.m_normal);
    PutString(w, shape.m_strText);
}

// The settings, the layers of the table at `layers` and the shapes (anything that
// dereferences to a CShape), in the file's order.
template <class Writer, class Shapes>
void WriteDrawing(Writer& w, const std::vector<int>& layers, const Shapes& shapes) {
    PutString(w, g_fileBanner);
    PutString(w, g_skyTexture);
    PutString(w, g_groundTexture);
    w.template Put<double>(g_sunNorth);
    w.template Put<double>(g_sunSeason);
    w.template Put<double>(g_sunLatitude);
    w.template Put<double>(g_sunHour);
    w.template Put<int32_t>(static_cast<int32_t>(layers.size()));
    for (int i : layers) {
        PutString(w, g_layerNames[i]);
        for (double a : g_layerAttributes[i]) {
            w.template Put<double>(a);
        }
        PutString(w, g_layerTextures[i]);
    }
    if (shapes.size() > 0x7FFFFFFFu) {
        throw FileFailure{FileError::SaveFailed};
    }
    w.template Put<int32_t>(static_cast<int32_t>(shapes.size()));
    bool first = true;
    for (const auto& shape : shapes) {
        if (first) {
            // The class is announced once; it becomes entry 1 of the archive's table.
            w.template Put<uint16_t>(kNewClassTag);
            w.template Put<uint16_t>(kShapeSchema);
            w.template Put<uint16_t>(sizeof kShapeClassName - 1);
            w.Write(kShapeClassName, sizeof kShapeClassName - 1);
            first = false;
        } else {
            w.template Put<uint16_t>(kClassTag | 1);
        }
        PutShapeBody(w, *shape);
    }
}

// ---- reading ----

// A string's length prefix: a byte, a word or a double word, optionally announced as
// 16-bit characters by the word 0xFFFE.
uint64_t GetStringLength(BinaryReader& r, bool& wide) {
    uint8_t byteLength = r.Get<uint8_t>();
    if (byteLength < 0xFF) {
        return byteLength;
    }
    uint16_t wordLength = r.Get<uint16_t>();
    if (wordLength == 0xFFFE) {
        wide = true;
        byteLength = r.Get<uint8_t>();
        if (byteLength < 0xFF) {
            return byteLength;
        }
        wordLength = r.Get<uint16_t>();
    }
    if (wordLength < 0xFFFF) {
        return wordLength;
    }
    return r.Get<uint32_t>();
}

// Reads a string into `s`, whose memory is reused where it suffices.
void GetString(BinaryReader& r, std::string& s) {
    bool wide = false;
    const uint64_t length = GetStringLength(r, wide);
    const uint64_t bytes = wide ? length * 2 : length;
    r.Require(bytes);
    s.resize(bytes);
    r.Read(s.data(), bytes);
    if (!wide) {
        return;
    }
    // Without a converter the characters would be lost: the file is refused instead.
    for (size_t i = 0; i + 1 < s.size() && !Cp932Available(); i += 2) {
        if (static_cast<unsigned char>(s[i]) >= 0x80 || s[i + 1] != 0) {
            throw FileFailure{FileError::NoCp932};
        }
    }
    s = Utf16LeToCp932(s);
}

std::string GetString(BinaryReader& r) {
    std::string s;
    GetString(r, s);
    return s;
}

// The archive numbers classes and objects in one table as they are read: the shape
// class takes the next number when announced, each shape the next after that. Only
// references to an announced shape class may precede a shape.
class ObjectTable {
  public:
    template <class Source>
    void ReadShapeTag(Source& r) {
        const uint16_t tag = r.template Get<uint16_t>();
        if (tag == kNewClassTag) {
            const uint16_t schema = r.template Get<uint16_t>();
            const uint16_t nameLength = r.template Get<uint16_t>();
            if (nameLength != sizeof kShapeClassName - 1) {
                throw FileFailure{FileError::UnexpectedFormat};
            }
            char name[sizeof kShapeClassName - 1];
            r.Read(name, sizeof name);
            if (std::memcmp(name, kShapeClassName, sizeof name) != 0 || schema != kShapeSchema) {
                throw FileFailure{FileError::UnexpectedFormat};
            }
            m_shapeClasses.push_back(m_count++);
        } else if (tag == kBigObjectTag) {
            const uint32_t bigTag = r.template Get<uint32_t>();
            if ((bigTag & kBigClassTag) == 0) {
                throw FileFailure{FileError::UnexpectedFormat};  // an object, not a class
            }
            RequireShapeClass(bigTag & ~kBigClassTag);
        } else if (tag & kClassTag) {
            RequireShapeClass(tag & ~kClassTag);
        } else {
            // The null tag 0 or a reference to an object already read: neither is a new shape.
            throw FileFailure{FileError::UnexpectedFormat};
        }
        ++m_count;  // the shape's own entry
    }

  private:
    void RequireShapeClass(uint32_t index) const {
        for (uint32_t c : m_shapeClasses) {
            if (c == index) {
                return;
            }
        }
        throw FileFailure{FileError::UnexpectedFormat};
    }

    uint32_t m_count = 1;  // entry 0 is the null object
    std::vector<uint32_t> m_shapeClasses;
};

// The 33 words follow each other in the shape as in the file, and are read at once.
static_assert(offsetof(CShape, m_reserved) == offsetof(CShape, m_attr) + sizeof(CShape::m_attr) &&
                  offsetof(CShape, m_pt) == offsetof(CShape, m_reserved) + sizeof(CShape::m_reserved) &&
                  offsetof(CShape, m_normal) == offsetof(CShape, m_pt) + sizeof(CShape::m_pt),
              "a shape's words lie together");

void GetShapeBody(BinaryReader& r, CShape& shape) {
    shape.m_nType = r.Get<int32_t>();
    shape.m_bSelected = r.Get<int32_t>();
    GetString(r, shape.m_strLayer);
    r.Read(shape.m_attr, kShapeBodyWords * 4);
    GetString(r, shape.m_strText);
}

// The layer count, refused when outside the table or beyond what the file can hold.
int32_t GetLayerCount(BinaryReader& r) {
    const int32_t layers = r.Get<int32_t>();
    if (layers < 0 || layers > kLayerSlots) {
        throw FileFailure{FileError::UnexpectedFormat};
    }
    r.Require(static_cast<uint64_t>(layers) * kMinLayerRecord);
    return layers;
}

void GetLayer(BinaryReader& r, std::string& name,
              std::array<double, LAYER_ATTRIBUTE_COUNT>& attributes, std::string& texture) {
    name = GetString(r);
    for (double& a : attributes) {
        a = r.Get<double>();
    }
    texture = GetString(r);
}

// The shape count, refused when negative or beyond what the file can hold.
int32_t GetShapeCount(BinaryReader& r) {
    const int32_t shapes = r.Get<int32_t>();
    if (shapes < 0) {
        throw FileFailure{FileError::UnexpectedFormat};
    }
    r.Require(static_cast<uint64_t>(shapes) * kMinShapeRecord);
    return shapes;
}

// Everything after the banner into `contents`, except the shapes, which
// readShapes(count) reads.
template <class ReadShapes>
void ReadAfterBanner(BinaryReader& r, DrawingFileContents& contents, ReadShapes&& readShapes) {
    contents.sky = GetString(r);
    contents.ground = GetString(r);
    contents.north = r.Get<double>();
    contents.season = r.Get<double>();
    contents.latitude = r.Get<double>();
    contents.hour = r.Get<double>();
    contents.layers.resize(static_cast<size_t>(GetLayerCount(r)));
    for (StoredLayer& layer : contents.layers) {
        GetLayer(r, layer.name, layer.attributes, layer.texture);
    }
    readShapes(static_cast<size_t>(GetShapeCount(r)));
}

// ---- reading many shapes at once ----

// Bytes in memory that a record has been found to hold whole.
struct ByteCursor {
    const char* p;
    void Read(void* out, size_t count) {
        std::memcpy(out, p, count);
        p += count;
    }
    template <class T>
    T Get() {
        T value;
        Read(&value, sizeof value);
        return value;
    }
};

// The length prefix of a string of 8-bit characters at `at` in `bytes`: moves `at` to
// its first character. False when the prefix runs past the bytes or announces 16-bit
// characters (those take the careful path).
bool PlainStringAt(std::string_view bytes, size_t& at, uint64_t& length) {
    if (at >= bytes.size()) {
        return false;
    }
    const auto byteLength = static_cast<uint8_t>(bytes[at]);
    if (byteLength < 0xFF) {
        length = byteLength;
        at += 1;
        return true;
    }
    if (bytes.size() - at < 3) {
        return false;
    }
    uint16_t wordLength;
    std::memcpy(&wordLength, bytes.data() + at + 1, 2);
    if (wordLength == 0xFFFE) {
        return false;
    }
    if (wordLength < 0xFFFF) {
        length = wordLength;
        at += 3;
        return true;
    }
    if (bytes.size() - at < 7) {
        return false;
    }
    uint32_t longLength;
    std::memcpy(&longLength, bytes.data() + at + 3, 4);
    length = longLength;
    at += 7;
    return true;
}

// Where the parts of one shape record lie in the bytes.
struct RecordPlace {
    uint32_t body;    // the type, then the selected flag
    uint32_t layer;   // the layer name's characters; the 33 words follow them
    uint32_t layerLength;
    uint32_t text;
    uint32_t textLength;
};

// The record at `at` in `bytes`, when the bytes hold it whole and its strings are of
// 8-bit characters: its tag is taken by `table` (which throws on a tag that cannot
// stand there) and `at` moves past it. False, with nothing taken, otherwise.
bool FindRecord(std::string_view bytes, size_t& at, ObjectTable& table, RecordPlace& place) {
    const size_t size = bytes.size();
    if (size - at < 2) {
        return false;
    }
    uint16_t tag;
    std::memcpy(&tag, bytes.data() + at, 2);
    size_t pos = at + 2;
    if (tag == kNewClassTag) {
        if (size - pos < 4) {
            return false;
        }
        uint16_t nameLength;
        std::memcpy(&nameLength, bytes.data() + pos + 2, 2);
        pos += 4 + nameLength;
    } else if (tag == kBigObjectTag) {
        pos += 4;
    }
    if (pos > size || size - pos < 8) {
        return false;
    }
    place.body = static_cast<uint32_t>(pos);
    pos += 8;
    uint64_t length;
    if (!PlainStringAt(bytes, pos, length) || size - pos < length + kShapeBodyWords * 4) {
        return false;
    }
    place.layer = static_cast<uint32_t>(pos);
    place.layerLength = static_cast<uint32_t>(length);
    pos += length + kShapeBodyWords * 4;
    if (!PlainStringAt(bytes, pos, length) || size - pos < length) {
        return false;
    }
    place.text = static_cast<uint32_t>(pos);
    place.textLength = static_cast<uint32_t>(length);
    ByteCursor cursor{bytes.data() + at};
    table.ReadShapeTag(cursor);
    at = pos + length;
    return true;
}

// Builds the shape of a record found by FindRecord at `slot`.
void BuildShape(void* slot, const char* bytes, const RecordPlace& place) {
    // Copied from a blank shape rather than cleared: clearing 208 bytes becomes a string
    // instruction whose start-up costs more than the copy.
    static const CShape blank;
    auto* shape = new (slot) CShape(blank);
    std::memcpy(&shape->m_nType, bytes + place.body, 4);
    std::memcpy(&shape->m_bSelected, bytes + place.body + 4, 4);
    shape->m_strLayer.assign(bytes + place.layer, place.layerLength);
    std::memcpy(shape->m_attr, bytes + place.layer + place.layerLength, kShapeBodyWords * 4);
    shape->m_strText.assign(bytes + place.text, place.textLength);
}

constexpr size_t kPrefetchAhead = 4;

// Builds the shapes of the records in their slots. Every slot holds a shape afterwards,
// an empty one where building failed (out of memory for a long text).
void BuildShapes(const std::vector<CShape*>& slots, const char* bytes,
                 const std::vector<RecordPlace>& places) {
    size_t i = 0;
    try {
        for (; i < places.size(); ++i) {
            if (i + kPrefetchAhead < slots.size()) {
                // The slots are written from scratch: their lines are asked for early.
                const char* ahead = reinterpret_cast<const char*>(slots[i + kPrefetchAhead]);
                for (size_t line = 0; line < sizeof(CShape); line += 64) {
                    __builtin_prefetch(ahead + line, 1);
                }
            }
            BuildShape(slots[i], bytes, places[i]);
        }
    } catch (...) {
        for (++i; i < places.size(); ++i) {
            new (slots[i]) CShape();
        }
        throw;
    }
}

// The bytes of records looked at in one go.
constexpr size_t kRecordWindow = size_t{1} << 20;

// Reads `count` shapes to the tail of `list`: the records a window of the file holds
// whole are found first, then built in place in one go; a record that does not fit or
// has 16-bit strings is read on its own, as ReadShapesInTurn would.
void ReadShapesInto(BinaryReader& r, size_t count, ShapeList& list) {
    list.Reserve(count);
    ObjectTable table;
    std::vector<RecordPlace> places;
    std::vector<CShape*> slots;
    size_t left = count;
    while (left > 0) {
        const std::string_view window = r.Buffered(kRecordWindow).substr(0, kRecordWindow);
        places.clear();
        size_t at = 0;
        RecordPlace place{};
        while (places.size() < left && FindRecord(window, at, table, place)) {
            places.push_back(place);
        }
        if (places.empty()) {
            table.ReadShapeTag(r);
            GetShapeBody(r, list.AppendEmpty());
            --left;
            continue;
        }
        list.AppendUnbuilt(places.size(), slots);
        BuildShapes(slots, window.data(), places);
        r.Skip(at);
        left -= places.size();
    }
}

// Reads `count` shapes one after the other into the empty shapes newShape() gives.
template <class NewShape>
void ReadShapesInTurn(BinaryReader& r, size_t count, NewShape&& newShape) {
    ObjectTable table;
    for (size_t i = 0; i < count; ++i) {
        table.ReadShapeTag(r);
        GetShapeBody(r, newShape());
    }
}

}  // namespace

std::string NativeFileName(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (extension.size() > 1) {
        std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        for (const char* other : kOtherFormatExtensions) {
            if (extension.substr(1) == other) {
                return path + ".trn";
            }
        }
    }
    return path;
}

FileResult SaveDrawingFile(CZorader_ezDoc& doc, const std::string& path) {
    FileResult result =
        WriteFileSafely(path, [&](SafeFileWriter& writer) {
            std::vector<int> layers(static_cast<size_t>(std::clamp(g_layerCount, 0, kLayerSlots)));
            std::iota(layers.begin(), layers.end(), 0);
            WriteDrawing(writer, layers, doc.m_shapes);
        });
    if (result.ok()) {
        doc.SetPathName(AbsolutePath(path));
        doc.SetModifiedFlag(false);
    }
    return result;
}

FileError ReadDrawingContents(BinaryReader& reader, DrawingFileContents& contents) {
    DrawingFileContents read;
    try {
        read.banner = GetString(reader);
        ReadAfterBanner(reader, read, [&](size_t count) {
            read.shapes.reserve(count);
            ReadShapesInTurn(reader, count, [&]() -> CShape& { return read.shapes.emplace_back(); });
        });
    } catch (const FileFailure& failure) {
        return failure.error;
    }
    contents = std::move(read);
    return FileError::None;
}

std::string ShapesToBytes(const std::vector<const CShape*>& shapes) {
    std::unordered_map<std::string_view, int> index;
    for (int i = std::min(g_layerCount, kLayerSlots); i-- > 0;) {
        index[g_layerNames[i]] = i;  // the first of equal names wins, as FindLayer's
    }
    std::vector<bool> used(kLayerSlots, false);
    for (const CShape* shape : shapes) {
        if (const auto it = index.find(shape->m_strLayer); it != index.end()) {
            used[static_cast<size_t>(it->second)] = true;
        }
    }
    std::vector<int> layers;
    for (int i = 0; i < kLayerSlots; ++i) {
        if (used[static_cast<size_t>(i)]) {
            layers.push_back(i);
        }
    }
    MemoryWriter writer;
    WriteDrawing(writer, layers, shapes);
    return std::move(writer.bytes);
}

FileError ReadDrawingBytes(std::string_view bytes, DrawingFileContents& contents) {
    BinaryReader reader;
    reader.OpenBytes(bytes);
    return ReadDrawingContents(reader, contents);
}

namespace {

// The message for a file of another kind: its name, and its banner where that reads as
// plain text (a newer version's, another program's).
FileResult NotADrawingResult(const std::string& path, const std::string& banner) {
    FileResult result = MakeFileResult(FileError::NotADrawing, path);
    constexpr size_t kLongestShown = 64;
    const bool printable =
        !banner.empty() && banner.size() <= kLongestShown &&
        std::all_of(banner.begin(), banner.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    if (printable) {
        result.message += "\nﾌｧｲﾙの先頭: \"" + banner + "\"";
    }
    return result;
}

LoadResult LoadDrawing(CZorader_ezDoc& doc, BinaryReader& reader, const std::string& path) {
    LoadResult result;
    if (reader.Size() == 0) {
        result.emptyFile = true;
    } else {
        // The whole file is read before anything changes, so a file that fails
        // part-way leaves the drawing, the layer table and the settings as they were.
        DrawingFileContents contents;
        CZorader_ezDoc::ShapeList shapes;
        try {
            contents.banner = GetString(reader);
            if (contents.banner != g_fileBanner) {
                // Another kind of file: opened as an empty drawing under its name, the
                // next save would destroy it.
                result.foreignBanner = true;
                static_cast<FileResult&>(result) = NotADrawingResult(path, contents.banner);
                return result;
            }
            ReadAfterBanner(reader, contents,
                            [&](size_t count) { ReadShapesInto(reader, count, shapes); });
        } catch (const FileFailure& failure) {
            static_cast<FileResult&>(result) = MakeFileResult(failure.error, path);
            return result;
        }
        g_displayListValid = 0;
        doc.DeleteAllShapes();
        g_skyTexture = std::move(contents.sky);
        g_groundTexture = std::move(contents.ground);
        g_sunNorth = contents.north;
        g_sunSeason = contents.season;
        g_sunLatitude = contents.latitude;
        g_sunHour = contents.hour;
        // Slots above the stored layers keep what they held.
        g_layerCount = static_cast<int>(contents.layers.size());
        for (size_t i = 0; i < contents.layers.size(); ++i) {
            g_layerNames[i] = std::move(contents.layers[i].name);
            g_layerAttributes[i] = contents.layers[i].attributes;
            g_layerTextures[i] = std::move(contents.layers[i].texture);
        }
        doc.ReplaceShapes(std::move(shapes));
    }
    doc.SetPathName(AbsolutePath(path));
    doc.SetModifiedFlag(false);
    return result;
}

}  // namespace

LoadResult LoadDrawingFile(CZorader_ezDoc& doc, const std::string& path) {
    BinaryReader reader;
    const FileError error = reader.Open(path);
    if (error != FileError::None) {
        LoadResult result;
        static_cast<FileResult&>(result) = MakeFileResult(error, path);
        return result;
    }
    return LoadDrawing(doc, reader, path);
}

LoadResult LoadDrawingBytes(CZorader_ezDoc& doc, std::string_view bytes, const std::string& path) {
    BinaryReader reader;
    reader.OpenBytes(bytes);
    return LoadDrawing(doc, reader, path);
}

}  // namespace marquetta
