#include "core/qc/reading_fields.h"

namespace tesselog {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

ReadingField ClassifyText(const char* p, const char* end, int* decimals = nullptr) {
    while (p < end && *p == ' ') ++p;
    while (end > p && end[-1] == ' ') --end;
    if (p == end) return ReadingField::Missing;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (p < end && IsDigit(*p)) ++p, ++digits;
    if (p < end && *p == '.') {
        ++p;
        const char* first = p;
        while (p < end && IsDigit(*p)) ++p, ++digits;
        if (decimals != nullptr) *decimals = static_cast<int>(p - first);
    }
    return p == end && digits > 0 ? ReadingField::Good : ReadingField::Malformed;
}

// Field n's text: [begin, end) of the sentence; false when there is no such field.
bool FieldText(const char* sentence, size_t length, int n, const char*& begin, const char*& end) {
    end = sentence + length;
    const char* p = sentence;
    // Field n starts after the n-th comma.
    for (int commas = 0; commas < n; ++commas) {
        while (p < end && *p != ',') ++p;
        if (p == end) return false;
        ++p;
    }
    begin = p;
    while (p < end && *p != ',') ++p;
    end = p;
    return true;
}

}  // namespace

ReadingField ClassifyReadingField(const char* sentence, size_t length, int n) {
    const char *begin, *end;
    return FieldText(sentence, length, n, begin, end) ? ClassifyText(begin, end) : ReadingField::Missing;
}

double ReadingFieldStep(const char* sentence, size_t length, int n) {
    const char *begin, *end;
    int decimals = 0;
    if (!FieldText(sentence, length, n, begin, end) || ClassifyText(begin, end, &decimals) != ReadingField::Good) {
        return 0.0;
    }
    double step = 1.0;
    for (int i = 0; i < decimals && i < 9; ++i) step /= 10.0;
    return step;
}

}  // namespace tesselog
