// The readings of typed numbers: the relative entry's displacement and sweep, the value
// dialogs' integers and the offset width, and the text dialog's fields. Each number
// they read must be what the C library reads from the same characters, and what they
// accept must lie within the ranges they promise. The input is up to four fields
// separated by "|".
#include <locale.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "ui/relative_entry.h"
#include "ui/text_dialog.h"
#include "ui/value_dialogs.h"

namespace {

using namespace marquetta;
using marquetta::fuzz::SameBits;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The C library's reading of the characters before the first NUL; `used` the
// characters it took.
double CDouble(const std::string& text, size_t& used) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const std::string z(text.c_str());
    char* end = nullptr;
    const double value = strtod_l(z.c_str(), &end, c);
    used = static_cast<size_t>(end - z.c_str());
    return value;
}

void CheckLeadingInteger(const std::string& text) {
    const std::string z(text.c_str());
    const long long c = std::strtoll(z.c_str(), nullptr, 10);
    const long long held = std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, c));
    FUZZ_CHECK(ReadLeadingInteger(text) == held);
    if (const auto whole = ReadDialogInteger(text)) {
        FUZZ_CHECK(*whole == held);
    }
}

void CheckLeadingDouble(const std::string& text) {
    size_t used = 0;
    const std::optional<double> value = ReadLeadingDouble(text, &used);
    size_t start = 0;
    while (start < text.size() && std::string_view(" \t\n\v\f\r").find(text[start]) != std::string_view::npos) {
        ++start;
    }
    size_t digits = start < text.size() && (text[start] == '+' || text[start] == '-') ? start + 1 : start;
    const bool decimal =
        digits < text.size() && (IsDigit(text[digits]) ||
                                 (text[digits] == '.' && digits + 1 < text.size() &&
                                  IsDigit(text[digits + 1])));
    // A decimal number is always read; hexadecimal, infinity and NaN never are.
    FUZZ_CHECK(value.has_value() == decimal);
    if (!value) {
        FUZZ_CHECK(used == 0);
        return;
    }
    FUZZ_CHECK(used > start && used <= text.size());
    const bool hex = digits + 1 < text.size() && text[digits] == '0' &&
                     (text[digits + 1] == 'x' || text[digits + 1] == 'X');
    size_t cUsed = 0;
    const double c = CDouble(text.substr(0, used), cUsed);
    FUZZ_CHECK(cUsed == used && SameBits(&c, &*value, sizeof c));
    if (!hex) {
        CDouble(text, cUsed);
        FUZZ_CHECK(cUsed == used);
    }
    if (const auto whole = ReadDialogDouble(text)) {
        FUZZ_CHECK(SameBits(&*whole, &*value, sizeof c));
    }
}

void CheckRelativeEntry(const std::string& text) {
    if (const std::optional<Double3> d = ReadDisplacement(text)) {
        // A polar entry ("length<angle", the '<' full width or not) types its length; its
        // parts come from a cosine and a sine, so its length may round a last bit below
        // the typed one, and a part may be smaller than any typed value.
        const bool polar = text.find('<') != std::string::npos ||
                           text.find("\xEF\xBC\x9C") != std::string::npos;
        const double length = std::sqrt(d->x * d->x + d->y * d->y + d->z * d->z);
        FUZZ_CHECK(length >= kShortestDisplacement * (polar ? 1.0 - 1e-12 : 1.0));
        for (double v : {d->x, d->y, d->z}) {
            const double m = std::fabs(v);
            FUZZ_CHECK(polar ? m <= kLargestTypedValue
                             : m == 0.0 || (m >= kSmallestTypedValue && m <= kLargestTypedValue));
        }
    }
    FUZZ_CHECK(std::isfinite(ReadSweepAngle(text)));
    FUZZ_CHECK(std::isfinite(ReadOffsetWidth(text)));
}

void CheckSpinAndFormat(const std::string& text) {
    for (int step : {-1, 1}) {
        const std::optional<int> stepped =
            ReadDialogInteger(StepSpinText(text, step, SpinRange{kMinGridPitch, kMaxGridPitch}));
        FUZZ_CHECK(stepped && *stepped >= kMinGridPitch && *stepped <= kMaxGridPitch);
    }
    double value = 0.0;
    std::memcpy(&value, text.data(), std::min(text.size(), sizeof value));
    const std::optional<int> shown = ReadDialogInteger(FormatTruncated(value));
    FUZZ_CHECK(shown.has_value());
    if (value > INT_MIN && value < INT_MAX) {
        FUZZ_CHECK(*shown == static_cast<int>(std::trunc(value)));
    }
}

void CheckTextDialog(const std::vector<std::string>& fields) {
    std::array<std::string, kTextHistorySize> history;
    TextDialog dialog("", 300.0, 300.0, 0.0, history);
    for (size_t i = 0; i < fields.size() && i < dialog.Fields().size(); ++i) {
        dialog.Fields()[i].text = fields[i];
    }
    const std::optional<DialogRefusal> refusal = dialog.Validate();
    if (refusal) {
        FUZZ_CHECK(!refusal->message.empty() && refusal->field < dialog.Fields().size());
        FUZZ_CHECK(dialog.Height() == 300.0 && dialog.Width() == 300.0 && dialog.Angle() == 0.0);
        return;
    }
    FUZZ_CHECK(dialog.Height() >= kTextMinSize && dialog.Height() <= kTextMaxSize);
    FUZZ_CHECK(dialog.Width() >= kTextMinSize && dialog.Width() <= kTextMaxSize);
    FUZZ_CHECK(dialog.Angle() >= kTextMinAngle && dialog.Angle() <= kTextMaxAngle);
    FUZZ_CHECK(dialog.Text().size() <= 2 * static_cast<size_t>(kTextMaxLength));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    marquetta::fuzz::StartRun();
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> fields;
    for (size_t begin = 0;;) {
        const size_t bar = input.find('|', begin);
        fields.push_back(input.substr(begin, bar == std::string::npos ? bar : bar - begin));
        if (bar == std::string::npos || fields.size() == 4) {
            break;
        }
        begin = bar + 1;
    }
    for (const std::string& field : fields) {
        CheckLeadingInteger(field);
        CheckLeadingDouble(field);
        CheckRelativeEntry(field);
        CheckSpinAndFormat(field);
    }
    CheckTextDialog(fields);
    return 0;
}
