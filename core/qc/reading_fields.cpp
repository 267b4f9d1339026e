#include "core/qc/reading_fields.h"

namespace tesselog {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

ReadingField ClassifyText(const char* p, const char* end) {
    while (p < end && *p == ' ') ++p;
    while (end > p && end[-1] == ' ') --end;
    if (p == end) return ReadingField::Missing;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (p < end && IsDigit(*p)) ++p, ++digits;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && IsDigit(*p)) ++p, ++digits;
    }
    return p == end && digits > 0 ? ReadingField::Good : ReadingField::Malformed;
}

}  // namespace

ReadingField ClassifyReadingField(const char* sentence, size_t length, int n) {
    const char* end = sentence + length;
    const char* p = sentence;
    // Field n starts after the n-th comma.
    for (int commas = 0; commas < n; ++commas) {
        while (p < end && *p != ',') ++p;
        if (p == end) return ReadingField::Missing;
        ++p;
    }
    const char* fieldEnd = p;
    while (fieldEnd < end && *fieldEnd != ',') ++fieldEnd;
    return ClassifyText(p, fieldEnd);
}

}  // namespace tesselog
