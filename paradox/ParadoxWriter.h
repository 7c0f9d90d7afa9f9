#pragma once
// Writing Paradox table files with pxlib's writer: the tests, the benchmark and the fuzz
// corpus make every Paradox file they read this way (no file comes from elsewhere). Not
// used by the programs.
//
// Invariants: values are given in Paradox's own counts (ParadoxFile.h's Raw: dates as days
// since 1.1.0001, times as milliseconds, timestamps as milliseconds since 1.1.0001, alpha and
// memo bytes in the table's code page); a null is stored as Paradox stores it (zero bytes);
// the files are complete once close() returned or the writer is destroyed.

#include <memory>
#include <string>
#include <vector>

#include "paradox/ParadoxFile.h"

namespace paradox {

struct FieldSpec {
    std::string name;
    Kind kind = Kind::Alpha;
    int length = 0;  // alpha: characters; memo: bytes kept in the record (at least 11); others: 0
};

// Paradox's counts of a calendar day and a time of day, by pxlib's own calendar.
std::int64_t paradoxDate(int year, int month, int day);
std::int64_t paradoxTime(int hour, int minute, int second, int ms = 0);
double paradoxTimestamp(int year, int month, int day, int hour, int minute, int second);

class ParadoxWriter {
public:
    // Creates path (and, when a field is a memo, blobPath) for the fields; codePage goes into
    // the header. With expectedRecords the files are built in memory (pxlib seeks and reads
    // back a hundred times a record; in memory that costs no system calls) and written out
    // on close(); memory for about that many records is taken at once. Throws ParadoxError.
    ParadoxWriter(const std::string& path, const std::vector<FieldSpec>& fields, int codePage,
                  const std::string& blobPath = {}, long long expectedRecords = 0);
    ~ParadoxWriter();
    ParadoxWriter(const ParadoxWriter&) = delete;
    ParadoxWriter& operator=(const ParadoxWriter&) = delete;

    // Appends one record, a value per field. Throws ParadoxError.
    void append(const std::vector<Raw>& values);
    void close();

private:
    struct Doc;
    std::unique_ptr<Doc> m_doc;
    std::vector<FieldSpec> m_fields;
    std::vector<char> m_record;
    int m_count = 0;
};

}  // namespace paradox
