// Any bytes as a data file, read with one block larger than the input and with
// a small one the input chooses (records then straddle blocks): both readings
// and the check must agree, and every item must lie inside the input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/datafile/record_reader.h"

using namespace tesselog;

namespace {

std::string ReadAll(const uint8_t* data, size_t size, size_t block, RecordProblem* problem, uint64_t* records) {
    RecordReader reader(BytesFromMemory(data, size), block);
    DataItem item;
    std::string text;
    uint64_t end = 0;
    while (reader.Next(item)) {
        if (item.offset != end || item.recordCount == 0) std::abort();
        end = item.offset + static_cast<uint64_t>(item.recordCount) * RecordLength;
        if (end > size || item.text.size() > MaxKeptGpsSentence) std::abort();
        text += DescribeItem(item);
        text += '\n';
    }
    *problem = reader.FirstProblem();
    *records = reader.RecordCount();
    if (end != *records * RecordLength) std::abort();
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t small = size > 0 ? 1 + data[0] % 61 : 1;
    RecordProblem first, second;
    uint64_t firstRecords = 0, secondRecords = 0;
    std::string a = ReadAll(data, size, size + 1, &first, &firstRecords);
    std::string b = ReadAll(data, size, small, &second, &secondRecords);
    if (a != b || first.found != second.found || first.offset != second.offset || first.reason != second.reason ||
        firstRecords != secondRecords)
        std::abort();

    DataFileCheck check = CheckDataFile(BytesFromMemory(data, size), small);
    if (check.ok != !first.found || (!check.ok && (check.problem.offset != first.offset ||
                                                   check.problem.reason != first.reason)))
        std::abort();
    if (check.ok && check.records * RecordLength != size) std::abort();
    return 0;
}
