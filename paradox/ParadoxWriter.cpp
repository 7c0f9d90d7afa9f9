// Paradox files for the tests and the benchmark, through pxlib's writer; see ParadoxWriter.h.
#include "paradox/ParadoxWriter.h"

extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace paradox {

namespace {
void ignoreError(pxdoc_t*, int, const char*, void* data)
{
    if (data) *static_cast<bool*>(data) = true;
}

int storedLength(const FieldSpec& f)
{
    switch (f.kind) {
    case Kind::Short: return 2;
    case Kind::Date: case Kind::Long: case Kind::Time: case Kind::AutoInc: return 4;
    case Kind::Currency: case Kind::Number: case Kind::Timestamp: return 8;
    case Kind::Logical: return 1;
    case Kind::Bcd: return 17;
    default: return f.length;
    }
}
}  // namespace

std::int64_t paradoxDate(int year, int month, int day) { return PX_GregorianToSdn(year, month, day) - 1721425; }
std::int64_t paradoxTime(int hour, int minute, int second, int ms) { return ((hour * 60 + minute) * 60 + second) * 1000LL + ms; }
double paradoxTimestamp(int year, int month, int day, int hour, int minute, int second)
{
    return double(paradoxDate(year, month, day)) * 86400000.0 + double(paradoxTime(hour, minute, second));
}

// A file built in memory and written out whole at the end.
struct MemoryFile {
    std::string path;
    std::vector<char> buffer;
    FILE* fp = nullptr;
    void open(const std::string& to, size_t capacity)
    {
        path = to;
        buffer.assign(capacity, '\0');
        fp = fmemopen(buffer.data(), buffer.size(), "w+");
        if (!fp) throw ParadoxError(to + ": cannot be created in memory");
    }
    void save()
    {
        if (!fp) return;
        std::fseek(fp, 0, SEEK_END);
        const long size = std::ftell(fp);
        std::fclose(fp);
        fp = nullptr;
        FILE* out = std::fopen(path.c_str(), "wb");
        const bool ok = out && std::fwrite(buffer.data(), 1, size_t(size), out) == size_t(size);
        if (out) std::fclose(out);
        if (!ok) throw ParadoxError(path + ": cannot be written");
    }
};

struct ParadoxWriter::Doc {
    pxdoc_t* px = nullptr;
    bool failed = false;
    bool closed = false;
    MemoryFile table, blob;
};

ParadoxWriter::ParadoxWriter(const std::string& path, const std::vector<FieldSpec>& fields, int codePage,
                             const std::string& blobPath, long long expectedRecords)
    : m_doc(std::make_unique<Doc>()), m_fields(fields)
{
    pxdoc_t* px = PX_new3(ignoreError, nullptr, nullptr, nullptr, &m_doc->failed);
    if (!px) throw ParadoxError(path + ": out of memory");
    m_doc->px = px;
    // pxlib takes the field array (and frees it with the document).
    auto* pf = static_cast<pxfield_t*>(px->malloc(px, sizeof(pxfield_t) * fields.size(), "fields"));
    int size = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        pf[i].px_fname = PX_strdup(px, fields[i].name.c_str());
        pf[i].px_ftype = static_cast<char>(fields[i].kind);
        pf[i].px_flen = storedLength(fields[i]);
        pf[i].px_fdc = fields[i].kind == Kind::Bcd ? 2 : 0;
        size += pf[i].px_flen;
    }
    if (expectedRecords > 0) {
        m_doc->table.open(path, size_t(65536 + expectedRecords * size * 2));
        if (PX_create_fp(px, pf, int(fields.size()), m_doc->table.fp, pxfFileTypNonIndexDB) < 0)
            throw ParadoxError(path + ": cannot be created");
    } else if (PX_create_file(px, pf, int(fields.size()), path.c_str(), pxfFileTypNonIndexDB) < 0) {
        throw ParadoxError(path + ": cannot be created");
    }
    px->px_head->px_doscodepage = codePage;
    // A header counts blocks in 16 bits: a large table takes larger blocks, as Paradox does
    // (pxlib keeps its small choice and lets the count overflow).
    for (int kb = px->px_head->px_maxtablesize; expectedRecords > 0 && kb <= 32; kb *= 2) {
        const long long perBlock = (kb * 1024LL - 6) / size;
        if (perBlock > 0 && expectedRecords / perBlock < 60000) {
            px->px_head->px_maxtablesize = kb;
            break;
        }
        px->px_head->px_maxtablesize = std::min(kb * 2, 32);
    }
    if (!blobPath.empty()) {
        int rc = 0;
        if (expectedRecords > 0) {
            m_doc->blob.open(blobPath, size_t(1 << 20) + size_t(expectedRecords) * 512);
            rc = PX_set_blob_fp(px, m_doc->blob.fp);
        } else {
            rc = PX_set_blob_file(px, blobPath.c_str());
        }
        if (rc < 0) throw ParadoxError(blobPath + ": cannot be created");
    }
    m_record.resize(size_t(size));
}

ParadoxWriter::~ParadoxWriter()
{
    try {
        close();
    } catch (...) {
    }
}

void ParadoxWriter::append(const std::vector<Raw>& values)
{
    pxdoc_t* px = m_doc->px;
    std::memset(m_record.data(), 0, m_record.size());
    char* data = m_record.data();
    for (size_t i = 0; i < m_fields.size() && i < values.size(); ++i) {
        const FieldSpec& f = m_fields[i];
        const Raw& v = values[i];
        const int len = storedLength(f);
        if (v.type != Raw::Type::Null) {
            switch (f.kind) {
            case Kind::Alpha: {
                std::string s = v.bytes.substr(0, size_t(len));
                s.resize(size_t(len), '\0');
                PX_put_data_alpha(px, data, len, s.data());
                break;
            }
            case Kind::Short: PX_put_data_short(px, data, len, short(v.integer)); break;
            case Kind::Date: case Kind::Long: case Kind::Time: case Kind::AutoInc:
                PX_put_data_long(px, data, len, int(v.integer));
                break;
            case Kind::Logical: PX_put_data_byte(px, data, len, char(v.integer ? 1 : 0)); break;
            case Kind::Currency: case Kind::Number: case Kind::Timestamp:
                PX_put_data_double(px, data, len, v.type == Raw::Type::Float ? v.number : double(v.integer));
                break;
            case Kind::Bcd: {
                std::string s = v.bytes;
                PX_put_data_bcd(px, data, len, s.data());
                break;
            }
            case Kind::Memo: case Kind::FmtMemo: case Kind::Blob: {
                std::string s = v.bytes;
                if (PX_put_data_blob(px, data, len, s.data(), int(s.size())) < 0) throw ParadoxError("a memo cannot be written");
                break;
            }
            default: {
                std::string s = v.bytes;
                s.resize(size_t(len), '\0');
                PX_put_data_bytes(px, data, len, s.data());
                break;
            }
            }
        }
        data += len;
    }
    if (PX_put_recordn(px, m_record.data(), m_count) < 0 || m_doc->failed) throw ParadoxError("a record cannot be written");
    ++m_count;
}

void ParadoxWriter::close()
{
    if (m_doc->closed || !m_doc->px) return;
    m_doc->closed = true;
    PX_close(m_doc->px);
    PX_delete(m_doc->px);
    m_doc->px = nullptr;
    m_doc->table.save();
    m_doc->blob.save();
}

}  // namespace paradox
