// The import of a folder of Paradox tables; see ParadoxImport.h.
//
// One pass: every table file is opened (and its header checked) before anything is written,
// then each table's records are read, converted and handed to the copy's write side in
// batches. A refused value stops the writing (the rest is only read, to name every refused
// value), and the import ends by throwing, which leaves the target as it was.
#include "paradox/ParadoxImport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <charconv>
#include <cmath>
#include <iconv.h>
#include <map>
#include <memory>
#include <optional>

#include "backup/DatabaseCopy.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "paradox/ParadoxFile.h"

namespace paradox {

namespace {

// Days from 1.1.0001 (Paradox's day 1) to 30.12.1899 (our day 0), less one.
constexpr std::int64_t kParadoxDayZero = 693594;
constexpr double kMsPerDay = 86400000.0;
constexpr int kDefaultCodePage = 1250;
constexpr size_t kRowsPerBatch = 5000;
constexpr int kMaxListed = 1000;  // findings listed per table and kind; the rest are counted

// Texts of one code page to UTF-8 (iconv); plain ASCII is passed through.
class Decoder {
public:
    explicit Decoder(int codePage) : m_codePage(codePage)
    {
        const std::string name = "CP" + std::to_string(codePage);
        m_cd = iconv_open("UTF-8", name.c_str());
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw ParadoxError("code page " + std::to_string(codePage) + " is not known on this system");
    }
    ~Decoder() { iconv_close(m_cd); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // nullopt when the bytes are not text of the code page.
    std::optional<std::string> decode(const std::string& bytes)
    {
        bool ascii = true;
        for (unsigned char c : bytes)
            if (c >= 0x80) { ascii = false; break; }
        if (ascii) return bytes;
        std::string out(bytes.size() * 4 + 4, '\0');
        char* in = const_cast<char*>(bytes.data());
        size_t inLeft = bytes.size();
        char* o = out.data();
        size_t outLeft = out.size();
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &in, &inLeft, &o, &outLeft) == size_t(-1)) return std::nullopt;
        out.resize(out.size() - outLeft);
        return out;
    }
    int codePage() const { return m_codePage; }

private:
    int m_codePage;
    iconv_t m_cd;
};

size_t codePoints(const std::string& utf8)
{
    size_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string firstCodePoints(const std::string& utf8, size_t count)
{
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (n == count) return utf8.substr(0, i);
            ++n;
        }
    }
    return utf8;
}

// A whole text read as a number: blanks around it, a decimal comma or point.
std::optional<double> readNumber(std::string text)
{
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    text = text.substr(b, text.find_last_not_of(' ') - b + 1);
    for (char& c : text)
        if (c == ',') c = '.';
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<std::int64_t> wholeNumber(double v)
{
    if (!std::isfinite(v) || v != std::floor(v) || std::fabs(v) > 9007199254740992.0) return std::nullopt;
    return static_cast<std::int64_t>(v);
}

// The columns of our ten tables, as the engine declares them: made once in a scratch folder.
const std::map<QString, std::vector<engine::FieldInfo>>& ourColumns()
{
    static const std::map<QString, std::vector<engine::FieldInfo>> columns = [] {
        std::map<QString, std::vector<engine::FieldInfo>> all;
        QTemporaryDir scratch;
        if (!scratch.isValid()) throw std::runtime_error("cannot create a temporary folder");
        engine::Database db(data::databaseLocation(scratch.path()).toStdString());
        data::createTables(db, scratch.path());
        const QString prefix = data::folderPrefix(scratch.path());
        for (const data::TableDefinition& t : data::tableDefinitions()) {
            auto q = db.open("SELECT * FROM " + engine::quoteText((prefix + t.file).toStdString()));
            all[t.file] = q->fields();
        }
        db.releaseTables();
        return all;
    }();
    return columns;
}

// The file of a name in the folder, letter case aside (folders copied from elsewhere hold
// "pobyty.db" as often as "POBYTY.DB"); empty when there is none.
QString findFile(const QDir& dir, const QString& name)
{
    const QString exact = dir.filePath(name);
    if (QFileInfo(exact).isFile()) return exact;
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return {};
}

// One table being imported: its file, the match of its fields to our columns, its findings.
struct TableImport {
    data::TableDefinition def;
    TableReport report;
    std::unique_ptr<ParadoxFile> file;
    std::unique_ptr<Decoder> decoder;
    std::vector<engine::FieldInfo> columns;  // the columns written, in order
    std::vector<int> sourceField;            // their fields in the file
    int longCount = 0, wrongCount = 0;
};

struct Problem {
    enum class Kind { None, LongText, WrongKind } kind = Kind::None;
    std::string text;  // what is wrong, in our words
};

std::string inQuotes(const std::string& utf8) { return "\"" + utf8 + "\""; }

// A stored value as the value of our column: the exact value, or a problem (and, when
// cutting is accepted, what is stored instead: the cut text or null).
engine::Value convert(const Raw& raw, const Field& f, const engine::FieldInfo& col, Decoder& decoder, Problem& problem)
{
    using engine::FieldType;
    problem = {};
    if (raw.type == Raw::Type::Null) return {};
    auto wrong = [&](const std::string& why) {
        problem.kind = Problem::Kind::WrongKind;
        problem.text = why;
        return engine::Value{};
    };
    const std::string kind = kindName(f.kind);
    const std::string target = col.type == FieldType::Text ? "text" : col.type == FieldType::Date ? "date"
                               : col.type == FieldType::Time ? "time" : col.type == FieldType::Float ? "number"
                               : col.type == FieldType::Boolean ? "logical value" : "whole number";
    const bool textual = f.kind == Kind::Alpha || f.kind == Kind::Memo || f.kind == Kind::FmtMemo;
    std::string text;
    if (textual || f.kind == Kind::Bcd) {
        if (f.kind == Kind::Bcd) {
            text = raw.bytes;
        } else {
            const auto decoded = decoder.decode(raw.bytes);
            if (!decoded) return wrong(kind + " value is not text of code page " + std::to_string(decoder.codePage()));
            text = *decoded;
        }
    }
    switch (col.type) {
    case FieldType::Text: {
        if (!textual) {
            if (raw.type == Raw::Type::Integer && (f.kind == Kind::Short || f.kind == Kind::Long || f.kind == Kind::AutoInc))
                text = std::to_string(raw.integer);
            else
                return wrong(kind + " value is no text");
        }
        const size_t length = codePoints(text);
        if (col.width > 0 && length > size_t(col.width)) {
            problem.kind = Problem::Kind::LongText;
            problem.text = std::to_string(length) + " characters where the column holds " + std::to_string(col.width) + ": " +
                           inQuotes(text);
            return firstCodePoints(text, size_t(col.width));
        }
        return text;
    }
    case FieldType::Date: {
        if (f.kind == Kind::Date) return raw.integer - kParadoxDayZero;
        if (f.kind == Kind::Timestamp) {
            const double days = raw.number / kMsPerDay;
            if (days != std::floor(days)) return wrong("timestamp with a time of day is no date");
            return static_cast<std::int64_t>(days) - kParadoxDayZero;
        }
        if (f.kind == Kind::Alpha) {
            try {
                const auto day = engine::parseDateText(text);
                if (day) return *day;
            } catch (const engine::Error&) {
            }
            return wrong("alpha value " + inQuotes(text) + " is no date");
        }
        return wrong(kind + " value is no date");
    }
    case FieldType::Time: {
        if (f.kind == Kind::Time) {
            if (raw.integer < 0 || raw.integer >= 86400000 || raw.integer % 1000 != 0)
                return wrong("time of " + std::to_string(raw.integer) + " ms is no whole second of a day");
            return raw.integer / 1000;
        }
        if (f.kind == Kind::Alpha) {
            try {
                return engine::parseTimeText(text);
            } catch (const engine::Error&) {
            }
            return wrong("alpha value " + inQuotes(text) + " is no time");
        }
        return wrong(kind + " value is no time");
    }
    case FieldType::Float: {
        if (f.kind == Kind::Timestamp) return raw.number / kMsPerDay - double(kParadoxDayZero);
        if (f.kind == Kind::Date) return double(raw.integer - kParadoxDayZero);
        if (raw.type == Raw::Type::Float) return raw.number;
        if (raw.type == Raw::Type::Integer && f.kind != Kind::Logical && f.kind != Kind::Time) return double(raw.integer);
        if (f.kind == Kind::Alpha || f.kind == Kind::Bcd) {
            if (const auto v = readNumber(text)) return *v;
            return wrong(kind + " value " + inQuotes(text) + " is no number");
        }
        return wrong(kind + " value is no number");
    }
    case FieldType::Boolean:
        if (f.kind == Kind::Logical) return raw.integer;
        return wrong(kind + " value is no logical value");
    case FieldType::Integer: case FieldType::Key: default: {
        if (f.kind == Kind::Short || f.kind == Kind::Long || f.kind == Kind::AutoInc) return raw.integer;
        if (f.kind == Kind::Logical && col.type == FieldType::Integer) return raw.integer;
        if (f.kind == Kind::Number || f.kind == Kind::Currency) {
            if (const auto v = wholeNumber(raw.number)) return *v;
            return wrong(kind + " value " + std::to_string(raw.number) + " is no " + target);
        }
        if (f.kind == Kind::Alpha || f.kind == Kind::Bcd) {
            if (const auto d = readNumber(text))
                if (const auto v = wholeNumber(*d)) return *v;
            return wrong(kind + " value " + inQuotes(text) + " is no " + target);
        }
        return wrong(kind + " value is no " + target);
    }
    }
}

QString upper(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())).toUpper(); }

// Opens a table's file (when the folder has it) and matches its fields to our columns.
TableImport openTable(const QDir& dir, const data::TableDefinition& def, const ImportOptions& options)
{
    TableImport t;
    t.def = def;
    t.report.file = def.file;
    const QString path = findFile(dir, def.file);
    if (path.isEmpty()) return t;
    t.report.found = true;
    const QString blob = findFile(dir, QFileInfo(def.file).completeBaseName() + QStringLiteral(".MB"));
    t.file = std::make_unique<ParadoxFile>(QFile::encodeName(path).toStdString(), QFile::encodeName(blob).toStdString(),
                                           def.file.toStdString());
    const int codePage = options.codePage > 0 ? options.codePage : t.file->codePage() > 0 ? t.file->codePage() : kDefaultCodePage;
    try {
        t.decoder = std::make_unique<Decoder>(codePage);
    } catch (const ParadoxError& e) {
        throw ParadoxError(def.file.toStdString() + ": " + e.what());
    }
    t.report.codePage = codePage;
    t.report.rows = t.file->records();

    const auto& ours = ourColumns().at(def.file);
    const auto& fields = t.file->fields();
    std::vector<bool> used(fields.size(), false);
    for (const engine::FieldInfo& col : ours) {
        int match = -1;
        for (size_t i = 0; i < fields.size() && match < 0; ++i)
            if (upper(fields[i].name).trimmed() == QString::fromStdString(col.name).toUpper()) match = int(i);
        if (match < 0) {
            t.report.absentColumns << QString::fromStdString(col.name);
            continue;
        }
        used[size_t(match)] = true;
        t.columns.push_back(col);
        t.sourceField.push_back(match);
    }
    for (size_t i = 0; i < fields.size(); ++i) {
        if (used[i]) continue;
        const auto name = t.decoder->decode(fields[i].name);
        t.report.extraFields << QStringLiteral("%1 (%2)").arg(QString::fromStdString(name.value_or(fields[i].name)),
                                                               QString::fromLatin1(kindName(fields[i].kind)));
    }
    return t;
}

void note(QStringList& list, int& count, const QString& line)
{
    if (++count <= kMaxListed) list << line;
}

}  // namespace

bool ImportReport::hasRefusals() const
{
    for (const TableReport& t : tables)
        if (!t.longTexts.isEmpty() || !t.wrongKinds.isEmpty()) return true;
    return false;
}

QStringList ImportReport::lines() const
{
    QStringList out;
    QStringList missing;
    for (const TableReport& t : tables) {
        if (!t.found) {
            missing << t.file;
            continue;
        }
        out << QStringLiteral("%1: %2 rows (code page %3)").arg(t.file).arg(t.rows).arg(t.codePage);
        if (!t.extraFields.isEmpty())
            out << QStringLiteral("  fields left out (no such column): %1").arg(t.extraFields.join(QStringLiteral(", ")));
        if (!t.absentColumns.isEmpty())
            out << QStringLiteral("  columns left empty (no such field): %1").arg(t.absentColumns.join(QStringLiteral(", ")));
        for (const QString& l : t.longTexts) out << QStringLiteral("  long text: %1").arg(l);
        for (const QString& l : t.wrongKinds) out << QStringLiteral("  wrong kind: %1").arg(l);
    }
    if (!missing.isEmpty())
        out << QStringLiteral("Not in the folder, imported empty: %1").arg(missing.join(QStringLiteral(", ")));
    return out;
}

ImportReport importParadox(const QString& folder, const QString& target, const ImportOptions& options)
{
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir()) throw std::runtime_error(folder.toStdString() + " is not a folder");

    QuietStderr quiet;
    // Every file is opened first: a damaged header is refused before anything is written.
    std::map<QString, TableImport> tables;
    // The Paradox folder holds the ten; the tables added since are written empty.
    for (const data::TableDefinition& def : data::tableDefinitions())
        if (!def.addedLater) tables.emplace(def.file, openTable(dir, def, options));

    ImportReport report;
    bool refused = false;
    int tablesDone = 0;
    const int tableCount = int(tables.size());
    auto source = [&](const data::TableDefinition& def, const backup::BatchWriter& write) -> qint64 {
        if (!tables.count(def.file)) return 0;
        TableImport& t = tables.at(def.file);
        ++tablesDone;
        qint64 written = 0;
        if (t.file) {
            const qint64 total = t.file->records();
            const auto& fields = t.file->fields();
            std::vector<std::vector<engine::Value>> batch;
            batch.reserve(kRowsPerBatch);
            Problem problem;
            for (int recno = 0; recno < t.file->records(); ++recno) {
                t.file->readRecord(recno);
                std::vector<engine::Value> row;
                row.reserve(t.columns.size());
                for (size_t c = 0; c < t.columns.size(); ++c) {
                    const Field& f = fields[size_t(t.sourceField[c])];
                    row.push_back(convert(t.file->value(t.sourceField[c]), f, t.columns[c], *t.decoder, problem));
                    if (problem.kind == Problem::Kind::None) continue;
                    const QString where = QStringLiteral("record %1, field %2: %3")
                                              .arg(recno + 1)
                                              .arg(QString::fromStdString(t.columns[c].name), QString::fromStdString(problem.text));
                    if (problem.kind == Problem::Kind::LongText)
                        note(t.report.longTexts, t.longCount,
                             options.cutLongTexts ? where + QStringLiteral(" (cut to %1)").arg(t.columns[c].width) : where);
                    else
                        note(t.report.wrongKinds, t.wrongCount, options.cutLongTexts ? where + QStringLiteral(" (left empty)") : where);
                    if (!options.cutLongTexts) refused = true;
                }
                batch.push_back(std::move(row));
                if (batch.size() == kRowsPerBatch) {
                    if (!refused) write(t.columns, batch);
                    batch.clear();
                    if (options.progress) options.progress(def.file, recno + 1, total);
                }
            }
            if (!batch.empty() && !refused) write(t.columns, batch);
            written = t.file->records();
            if (options.progress) options.progress(def.file, total, total);
            if (t.longCount > kMaxListed) t.report.longTexts << QStringLiteral("… %1 more").arg(t.longCount - kMaxListed);
            if (t.wrongCount > kMaxListed) t.report.wrongKinds << QStringLiteral("… %1 more").arg(t.wrongCount - kMaxListed);
            t.file.reset();  // lets go of the file (and its memo file) at once
        } else if (options.progress) {
            options.progress(def.file, 0, 0);
        }
        report.tables << t.report;
        report.rows += written;
        if (tablesDone == tableCount && refused) {
            ImportReport refusal = report;
            throw ImportRefused("the Paradox tables hold texts longer than their columns or values of the wrong kind; "
                                "nothing was imported (--cut-long-texts cuts them)",
                                refusal);
        }
        return written;
    };

    engine::Database db(data::databaseLocation(target).toStdString());
    backup::writeDatabase(db, target, source, {options.replace, {}, {}});
    report.written = true;
    return report;
}

}  // namespace paradox
