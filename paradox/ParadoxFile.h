#pragma once
// One Paradox table file (".DB", with its ".MB" memo companion when there is one), read
// through pxlib. Nothing else in the program touches pxlib.
//
// Invariants:
//  - pxlib's own messages never leave this file: its error handler is ours, and every
//    failure is a ParadoxError whose text says in our words what is wrong with which file;
//  - a file whose header, record size or blocks do not agree is refused when it is opened,
//    before any record is read, so pxlib is never asked to read past what the file holds;
//  - values come out as they are stored: alpha and memo bytes in the table's code page,
//    numbers as pxlib decodes them, dates, times and timestamps in Paradox's own counts.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace paradox {

class ParadoxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The field kinds of a Paradox table (pxlib's type codes).
enum class Kind {
    Alpha = 0x01, Date = 0x02, Short = 0x03, Long = 0x04, Currency = 0x05, Number = 0x06,
    Logical = 0x09, Memo = 0x0C, Blob = 0x0D, FmtMemo = 0x0E, Ole = 0x0F, Graphic = 0x10,
    Time = 0x14, Timestamp = 0x15, AutoInc = 0x16, Bcd = 0x17, Bytes = 0x18
};
const char* kindName(Kind k);

struct Field {
    std::string name;   // as stored (bytes of the table's code page)
    Kind kind = Kind::Alpha;
    int length = 0;     // bytes in the record
    int offset = 0;     // bytes from the record's start
};

// One stored value: null, a whole number (short, long, autoinc, logical 0/1, date days since
// 1.1.0001, time milliseconds after midnight), a floating number (number, currency,
// timestamp milliseconds since 1.1.0001) or bytes (alpha, memo, BCD as its digits, others).
struct Raw {
    enum class Type { Null, Integer, Float, Bytes } type = Type::Null;
    std::int64_t integer = 0;
    double number = 0;
    std::string bytes;
};

// pxlib also writes some findings to the standard error stream itself (not through its
// error handler): while one of these lives, that stream goes nowhere.
class QuietStderr {
public:
    QuietStderr();
    ~QuietStderr();
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int m_saved = -1;
};

class ParadoxFile {
public:
    // Opens path for reading; blobPath names its ".MB" file (empty: none). displayName is
    // how messages name the table ("POBYTY.DB"). Throws ParadoxError.
    ParadoxFile(const std::string& path, const std::string& blobPath, const std::string& displayName);
    ~ParadoxFile();
    ParadoxFile(const ParadoxFile&) = delete;
    ParadoxFile& operator=(const ParadoxFile&) = delete;

    const std::vector<Field>& fields() const { return m_fields; }
    int records() const { return m_records; }
    // The code page the header names (its language driver's DOS/Windows code page), 0 when
    // the header names none.
    int codePage() const { return m_codePage; }
    // The next free autoincrement value the header keeps.
    std::int64_t autoIncCounter() const { return m_autoInc; }

    // Reads record number recno (0-based) into the record buffer. Throws ParadoxError.
    void readRecord(int recno);
    // A field of the record read last. Throws ParadoxError (a memo that cannot be read).
    Raw value(int field) const;

private:
    std::string describeFailure(const std::string& what) const;

    struct Doc;
    std::unique_ptr<Doc> m_doc;
    std::string m_name;
    std::vector<Field> m_fields;
    std::vector<char> m_record;
    int m_records = 0;
    int m_codePage = 0;
    std::int64_t m_autoInc = 0;
    int m_recno = -1;
};

}  // namespace paradox
