#include "exchange/dxf_writer.h"

#include <cstdio>

#include "model/binary_file.h"
#include "model/c_numbers.h"

namespace marquetta {
namespace {

// Always the same: the program's name; the header's release first (AC1009, the release
// whose strings are in the code page named below: a reader that finds no release takes
// the file for a 2007-or-later one, whose strings are UTF-8), extents of +-100000 with
// a line-type scale of 18, the code page of the names and texts (CP932, so that other
// readers do not take them for Windows-1252); one dashed line type, the standard text
// style, then the entities.
constexpr std::string_view kPreamble =
    "999\r\nCreated by Marquetta\r\n"
    "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1009\r\n"
    "9\r\n$EXTMIN\r\n10\r\n -100000\r\n20\r\n -100000\r\n"
    "9\r\n$EXTMAX\r\n10\r\n 100000\r\n20\r\n 100000\r\n9\r\n$LTSCALE\r\n40\r\n18.0\r\n"
    "9\r\n$DWGCODEPAGE\r\n3\r\nANSI_932\r\n0\r\nENDSEC\r\n"
    "0\r\nSECTION\r\n2\r\nTABLES\r\n0\r\nTABLE\r\n2\r\nLTYPE\r\n70\r\n1\r\n0\r\nLTYPE\r\n"
    "2\r\nDASHED2\r\n70\r\n64\r\n3\r\n----    ----    ----    ----\r\n72\r\n65\r\n73\r\n2\r\n"
    "40\r\n5.0\r\n49\r\n2.5\r\n49\r\n-2.5\r\n0\r\nENDTAB\r\n"
    "0\r\nTABLE\r\n2\r\nSTYLE\r\n70\r\n1\r\n0\r\nSTYLE\r\n2\r\nSTANDARD\r\n70\r\n64\r\n"
    "40\r\n0.0\r\n41\r\n1.0\r\n42\r\n0.0\r\n50\r\n0.0\r\n71\r\n0\r\n3\r\nTXT\r\n"
    "4\r\nBIGFONT\r\n0\r\nENDTAB\r\n0\r\nENDSEC\r\n"
    "0\r\nSECTION\r\n2\r\nENTITIES\r\n";

constexpr std::string_view kEnd = "0\r\nENDSEC\r\n0\r\nEOF\r\n";

// Writes to a file, or into a string (`Writer` has Write(data, count)).
template <class Writer>
class DxfOut {
  public:
    explicit DxfOut(Writer& w) : m_w(w) {}

    void Raw(std::string_view s) { m_w.Write(s.data(), s.size()); }

    // A text value. A line break inside it would end the value early and shift every
    // later code/value pair of the file, so CR and LF are written as spaces.
    void Text(int code, std::string_view s) {
        Code(code);
        size_t from = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\r' || s[i] == '\n') {
                Raw(s.substr(from, i - from));
                Raw(" ");
                from = i + 1;
            }
        }
        Raw(s.substr(from));
        Raw("\r\n");
    }

    void Integer(int code, int value) {
        Code(code);
        char buffer[32];
        const int n = std::snprintf(buffer, sizeof buffer, "%d\r\n", value);
        m_w.Write(buffer, static_cast<size_t>(n));
    }

    void Real(int code, double value) {
        Code(code);
        // "%f" of the largest double is 316 characters.
        char buffer[400];
        const int n = std::snprintf(buffer, sizeof buffer, "%f\r\n", value);
        m_w.Write(buffer, static_cast<size_t>(n));
    }

    // A point (x, y, z) with y up as the DXF point (x, -z, y) in groups 1n, 2n, 3n.
    void Point(int n, const Float3& p) {
        Real(10 + n, p.x);
        Real(20 + n, -static_cast<double>(p.z));
        Real(30 + n, p.y);
    }

  private:
    void Code(int code) {
        char buffer[16];
        const int n = std::snprintf(buffer, sizeof buffer, "%d\r\n", code);
        m_w.Write(buffer, static_cast<size_t>(n));
    }

    Writer& m_w;
    CNumbersScope m_numbers;  // "%f" with a decimal point in every locale
};

struct StringWriter {
    std::string bytes;
    void Write(const void* data, size_t count) { bytes.append(static_cast<const char*>(data), count); }
};

template <class Writer>
void WriteShape(DxfOut<Writer>& out, const CShape& shape) {
    const char* name = nullptr;
    switch (shape.m_nType) {
        case SHAPE_LINE:
            name = "LINE";
            break;
        case SHAPE_CIRCLE:
            name = "CIRCLE";
            break;
        case SHAPE_ARC:
            name = "ARC";
            break;
        case SHAPE_FACE:
            name = "3DFACE";
            break;
        case SHAPE_TEXT:
            name = "TEXT";
            break;
        default:
            return;
    }
    out.Text(0, name);
    out.Text(8, shape.m_strLayer);
    out.Integer(6, 0);
    out.Integer(62, 7);
    const Float3* p = shape.m_pt;
    switch (shape.m_nType) {
        case SHAPE_LINE:
            out.Point(0, p[0]);
            out.Point(1, p[1]);
            break;
        case SHAPE_CIRCLE:
            out.Point(0, p[0]);
            out.Real(40, p[1].x);
            break;
        case SHAPE_ARC:
            out.Point(0, p[0]);
            out.Real(40, p[1].x);
            out.Real(50, p[1].y);
            out.Real(51, p[1].z);
            break;
        case SHAPE_FACE:
            for (int i = 0; i < 4; ++i) {
                out.Point(i, p[i]);
            }
            break;
        case SHAPE_TEXT:
            out.Point(0, p[0]);
            out.Real(40, p[1].x);
            out.Real(50, p[1].z);
            // A text of height 0 has no width factor; dividing by it would write
            // "inf", which no DXF reader accepts.
            if (p[1].y != p[1].x && p[1].x != 0.0f) {
                out.Real(41, p[1].y / p[1].x);
            }
            out.Text(1, shape.m_strText);
            break;
        default:
            break;
    }
}

}  // namespace

bool HasDxfExtension(std::string_view path) {
    return path.find(".dxf") != std::string_view::npos ||
           path.find(".DXF") != std::string_view::npos;
}

FileResult WriteDxfFile(const CZorader_ezDoc& doc, const std::string& path) {
    return WriteFileSafely(
        path,
        [&](SafeFileWriter& writer) {
            DxfOut<SafeFileWriter> out(writer);
            out.Raw(kPreamble);
            for (const auto& shape : doc.m_shapes) {
                WriteShape(out, *shape);
            }
            out.Raw(kEnd);
        },
        CannotOpenMessage(path).text);
}

std::string DxfText(const std::vector<const CShape*>& shapes) {
    StringWriter writer;
    DxfOut<StringWriter> out(writer);
    out.Raw(kPreamble);
    for (const CShape* shape : shapes) {
        WriteShape(out, *shape);
    }
    out.Raw(kEnd);
    return std::move(writer.bytes);
}

DxfExportResult ExportDxfFile(const CZorader_ezDoc& doc, const std::string& path) {
    DxfExportResult result;
    if (!HasDxfExtension(path)) {
        result.message = {"ファイル拡張子が不正です", kWarningCaption, MessageIcon::Exclamation};
        return result;
    }
    const FileResult written = WriteDxfFile(doc, path);
    if (!written.ok()) {
        result.message = {written.message, kWarningCaption, MessageIcon::Exclamation};
        return result;
    }
    result.written = true;
    result.message = {"DXFデータの書き込みが完了しました", "ＤＸＦ", MessageIcon::Information};
    return result;
}

}  // namespace marquetta
