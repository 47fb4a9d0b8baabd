#include "cli/svg_export.h"

#include <cstdio>
#include <cstdlib>

#include "model/binary_file.h"
#include "view/printed_page.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

// A logical point in 0.1 mm as millimetres, exactly: "-12.3", "105".
void AppendTenths(std::string& out, long long tenths) {
    char text[32];
    const long long whole = std::llabs(tenths) / 10;
    const long long rest = std::llabs(tenths) % 10;
    if (rest == 0) {
        std::snprintf(text, sizeof text, "%s%lld", tenths < 0 ? "-" : "", whole);
    } else {
        std::snprintf(text, sizeof text, "%s%lld.%lld", tenths < 0 ? "-" : "", whole, rest);
    }
    out += text;
}

void AppendMillimetres(std::string& out, double mm) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", mm);
    out += text;
}

// Logical points (0.1 mm, y up, origin top-left) become page millimetres x = X / 10,
// y = -Y / 10. A MoveTo ends the open path; the next LineTo starts a new one there.
class SvgPen : public PrintPen {
public:
    explicit SvgPen(std::string& out) : m_out(out) {}
    // A copy would close the open path a second time.
    SvgPen(const SvgPen&) = delete;
    SvgPen& operator=(const SvgPen&) = delete;
    ~SvgPen() override { EndPath(); }

    void MoveTo(int x, int y) override {
        EndPath();
        m_x = x;
        m_y = y;
    }
    void LineTo(int x, int y) override {
        if (!m_open) {
            m_out += "<path d=\"";
            AppendPoint('M', m_x, m_y);
            m_open = true;
        }
        AppendPoint('L', x, y);
        m_x = x;
        m_y = y;
    }

private:
    void AppendPoint(char command, int x, int y) {
        m_out += command;
        AppendTenths(m_out, x);
        m_out += ' ';
        AppendTenths(m_out, -static_cast<long long>(y));
    }
    void EndPath() {
        if (m_open) {
            m_out += "\"/>\n";
            m_open = false;
        }
    }

    std::string& m_out;
    int m_x = 0;  // the pen's current point; a pen starts at the origin
    int m_y = 0;
    bool m_open = false;
};

}  // namespace

std::string PrintedPageSvg(const CZorader_ezDoc& doc) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    AppendMillimetres(out, g_paperWidth);
    out += "mm\" height=\"";
    AppendMillimetres(out, g_paperHeight);
    out += "mm\" viewBox=\"0 0 ";
    AppendMillimetres(out, g_paperWidth);
    out += ' ';
    AppendMillimetres(out, g_paperHeight);
    out += "\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
           "<g fill=\"none\" stroke=\"black\" stroke-width=\"0.18\" stroke-linecap=\"round\" "
           "stroke-linejoin=\"round\">\n";
    {
        SvgPen pen(out);
        PrintDrawing(doc, pen);
    }
    out += "</g>\n</svg>\n";
    return out;
}

FileResult ExportPrintedPageSvg(const CZorader_ezDoc& doc, const std::string& path) {
    const std::string svg = PrintedPageSvg(doc);
    return WriteFileSafely(path,
                           [&](SafeFileWriter& writer) { writer.Write(svg.data(), svg.size()); });
}

}  // namespace marquetta
