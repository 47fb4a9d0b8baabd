// Numbers with a decimal point whatever the user's locale says. The desktop takes the
// user's locale at start-up, and with it a decimal comma for "%f" and strtod in many
// countries; the files the program writes (DXF, scenes) and the texts it reads back
// know only the point.
#pragma once

#include <locale.h>

namespace marquetta {

// The "C" locale, made once and kept for the life of the program (0 when the C
// library could not make it, which leaves the user's locale in use).
inline locale_t CNumbersLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// While it lives, this thread formats and reads numbers in the "C" locale.
class CNumbersScope {
  public:
    CNumbersScope()
        : m_previous(CNumbersLocale() != static_cast<locale_t>(nullptr) ? uselocale(CNumbersLocale())
                                                                       : static_cast<locale_t>(nullptr)) {}
    ~CNumbersScope() {
        if (m_previous != static_cast<locale_t>(nullptr)) {
            uselocale(m_previous);
        }
    }
    CNumbersScope(const CNumbersScope&) = delete;
    CNumbersScope& operator=(const CNumbersScope&) = delete;

  private:
    locale_t m_previous;
};

}  // namespace marquetta
