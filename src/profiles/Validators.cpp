#include "profiles/Validators.h"

#include <cmath>
#include <cstdint>

namespace fw {

namespace {

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

bool IsIntegerText(const QString& text) {
    int i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    if (i == text.size()) return false;
    for (int j = i; j < text.size(); ++j)
        if (!IsAsciiDigit(text[j])) return false;
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    return ok && v >= INT32_MIN && v <= INT32_MAX;
}

bool IsNumberText(const QString& text) {
    int i = 0;
    const int n = int(text.size());
    if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
    int digits = 0;
    while (i < n && IsAsciiDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && IsAsciiDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
        int expDigits = 0;
        while (i < n && IsAsciiDigit(text[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != n) return false;
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v);
}

}  // namespace fw
