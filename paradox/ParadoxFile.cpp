// Reading one Paradox table through pxlib; see ParadoxFile.h.
//
// Two faults of the packaged pxlib (0.6.8) are worked around here rather than met by users:
//  - opening a memo file with PX_set_blob_file overruns a header buffer on the stack (the
//    program aborts on any ".MB" holding a memo); the memo file is opened here with pxlib's
//    own stream and block functions instead, leaving out only the block list that pxlib
//    builds for writing;
//  - PX_get_data_long reads eight bytes of a four-byte field to tell a null from a value,
//    so a null long, date or time reads as a number; Paradox stores a null as all zero
//    bytes, which is checked here before pxlib decodes the field.
// pxlib trusts the header: it follows the chain of data blocks from block to block without
// looking for an end (a chain that turns back on itself holds it forever) and reads as many
// blocks and records as the header promises. So before pxlib opens a file, its header's
// sizes and the chain of its data blocks are checked here (those few numbers only; every
// record and value is still read by pxlib), and a file whose chain leaves the file, visits a
// block twice or promises more records than its blocks hold is refused.
#include "paradox/ParadoxFile.h"

extern "C" {
#include <paradox.h>
// pxlib's memo-file stream functions: exported by the library, not declared in its header.
size_t px_mb_read(pxblob_t* p, pxstream_t* stream, size_t len, void* buffer);
int px_mb_seek(pxblob_t* p, pxstream_t* stream, long offset, int whence);
long px_mb_tell(pxblob_t* p, pxstream_t* stream);
pxstream_t* px_stream_new_file(pxdoc_t* pxdoc, int mode, int close, FILE* fp);
mbhead_t* get_mb_head(pxblob_t* pxblob, pxstream_t* pxs);
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace paradox {

const char* kindName(Kind k)
{
    switch (k) {
    case Kind::Alpha: return "alpha";
    case Kind::Date: return "date";
    case Kind::Short: return "short";
    case Kind::Long: return "long integer";
    case Kind::Currency: return "money";
    case Kind::Number: return "number";
    case Kind::Logical: return "logical";
    case Kind::Memo: return "memo";
    case Kind::Blob: return "binary";
    case Kind::FmtMemo: return "formatted memo";
    case Kind::Ole: return "OLE";
    case Kind::Graphic: return "graphic";
    case Kind::Time: return "time";
    case Kind::Timestamp: return "timestamp";
    case Kind::AutoInc: return "autoincrement";
    case Kind::Bcd: return "BCD";
    case Kind::Bytes: return "bytes";
    }
    return "unknown";
}

namespace {

// pxlib reports through this handler only; the message itself stays here (it is in pxlib's
// words and language), the failure is told by the caller in ours.
void swallowError(pxdoc_t*, int level, const char*, void* data)
{
    if (level != PX_Warning && data) *static_cast<bool*>(data) = true;
}

bool knownKind(int type)
{
    switch (type) {
    case pxfAlpha: case pxfDate: case pxfShort: case pxfLong: case pxfCurrency: case pxfNumber:
    case pxfLogical: case pxfMemoBLOb: case pxfBLOb: case pxfFmtMemoBLOb: case pxfOLE: case pxfGraphic:
    case pxfTime: case pxfTimestamp: case pxfAutoInc: case pxfBCD: case pxfBytes:
        return true;
    default:
        return false;
    }
}

// The length a field of a kind must have in the record (0: any length the header gives).
int fixedLength(int type)
{
    switch (type) {
    case pxfShort: return 2;
    case pxfDate: case pxfLong: case pxfTime: case pxfAutoInc: return 4;
    case pxfCurrency: case pxfNumber: case pxfTimestamp: return 8;
    case pxfLogical: return 1;
    case pxfBCD: return 17;
    default: return 0;
    }
}

bool allZero(const char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

long long fileSize(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

}  // namespace

QuietStderr::QuietStderr()
{
    std::fflush(stderr);
    m_saved = ::dup(2);
    const int null = ::open("/dev/null", O_WRONLY);
    if (m_saved >= 0 && null >= 0) ::dup2(null, 2);
    if (null >= 0) ::close(null);
}

QuietStderr::~QuietStderr()
{
    std::fflush(stderr);
    if (m_saved >= 0) {
        ::dup2(m_saved, 2);
        ::close(m_saved);
    }
}

namespace {

std::uint16_t u16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

// The structure pxlib relies on: header sizes and the chain of data blocks (see the top).
void checkStructure(const std::string& path, long long size, const std::string& name)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw ParadoxError(name + ": the file cannot be read");
    struct Close {
        FILE* f;
        ~Close() { std::fclose(f); }
    } close{f};
    unsigned char h[0x60] = {};
    if (std::fread(h, 1, sizeof h, f) < 0x58) throw ParadoxError(name + ": the file is too short for a Paradox table");
    const int recordSize = u16(h), headerSize = u16(h + 2), blockKb = h[5];
    const long long blocks = u16(h + 0x0C), first = u16(h + 0x0E);
    if (recordSize < 1) throw ParadoxError(name + ": the header gives a record size of 0 bytes");
    // A table protected by a password has its blocks scrambled, chain included: it is not
    // read (Paradox removes the password; the files are then copied again).
    // The mark is at 0x25; tables of version 4 and later put 0xFF00FF00 there and the mark
    // at 0x5C. Any other value at 0x25, or any mark at 0x5C, is taken as protection (pxlib
    // would unscramble the blocks, chain included, which the check below does not see).
    const std::uint32_t mark1 = std::uint32_t(u16(h + 0x25)) | (std::uint32_t(u16(h + 0x27)) << 16);
    const std::uint32_t mark2 = std::uint32_t(u16(h + 0x5C)) | (std::uint32_t(u16(h + 0x5E)) << 16);
    const bool newer = h[0x39] >= 5 && headerSize >= 0x60;
    if ((mark1 != 0 && mark1 != 0xFF00FF00u) || (newer && mark2 != 0))
        throw ParadoxError(name + ": the table is protected by a password (remove it in Paradox and copy the files again)");
    if (headerSize < 0x58 || headerSize > size)
        throw ParadoxError(name + ": the header gives a header size of " + std::to_string(headerSize) + " bytes, the file has " +
                           std::to_string(size));
    if (blockKb < 1 || blockKb > 32)
        throw ParadoxError(name + ": the header gives a block size of " + std::to_string(blockKb) + " kB");
    const long long blockSize = blockKb * 1024LL;
    if (headerSize + blocks * blockSize > size)
        throw ParadoxError(name + ": the file is cut short: the header gives " + std::to_string(blocks) + " blocks of " +
                           std::to_string(blockSize) + " bytes after " + std::to_string(headerSize) + " bytes, the file has " +
                           std::to_string(size) + " bytes");
    if (blocks > 0 && (first < 1 || first > blocks)) throw ParadoxError(name + ": the header's first block lies outside the file");
    std::vector<bool> seen(size_t(blocks) + 1, false);
    for (long long b = first, steps = 0; b != 0 && blocks > 0; ++steps) {
        if (b > blocks || seen[size_t(b)] || steps > blocks)
            throw ParadoxError(name + ": the chain of its data blocks is broken (block " + std::to_string(b) + ")");
        seen[size_t(b)] = true;
        unsigned char bh[6];
        if (std::fseek(f, long(headerSize + (b - 1) * blockSize), SEEK_SET) != 0 || std::fread(bh, 1, sizeof bh, f) != sizeof bh)
            throw ParadoxError(name + ": data block " + std::to_string(b) + " cannot be read");
        const int lastOffset = static_cast<std::int16_t>(u16(bh + 4));
        if (lastOffset < -recordSize || lastOffset + 2LL * recordSize > blockSize - 6 + recordSize)
            throw ParadoxError(name + ": data block " + std::to_string(b) + " says it holds more than fits");
        b = u16(bh);
    }
}

}  // namespace

struct ParadoxFile::Doc {
    pxdoc_t* px = nullptr;
    bool failed = false;
    ~Doc()
    {
        if (!px) return;
        PX_close(px);
        PX_delete(px);
    }
};

ParadoxFile::ParadoxFile(const std::string& path, const std::string& blobPath, const std::string& displayName)
    : m_doc(std::make_unique<Doc>()), m_name(displayName)
{
    const long long size = fileSize(path);
    if (size < 0) throw ParadoxError(m_name + ": the file cannot be read");
    // The fixed part of a header (88 bytes) and the field descriptions follow; anything
    // shorter is no table.
    if (size < 0x58) throw ParadoxError(m_name + ": the file is too short for a Paradox table (" + std::to_string(size) + " bytes)");
    checkStructure(path, size, m_name);
    const QuietStderr quiet;
    m_doc->px = PX_new3(swallowError, nullptr, nullptr, nullptr, &m_doc->failed);
    if (!m_doc->px) throw ParadoxError(m_name + ": out of memory");
    if (PX_open_file(m_doc->px, path.c_str()) < 0 || !m_doc->px->px_head)
        throw ParadoxError(m_name + ": the header is damaged or this is not a Paradox table");
    const pxhead_t& h = *m_doc->px->px_head;
    if (h.px_filetype != pxfFileTypIndexDB && h.px_filetype != pxfFileTypNonIndexDB)
        throw ParadoxError(m_name + ": the header names no table (file type " + std::to_string(int(h.px_filetype)) + ")");
    if (h.px_numfields < 1 || h.px_numfields > 255)
        throw ParadoxError(m_name + ": the header gives " + std::to_string(h.px_numfields) + " fields");
    const int blockSize = h.px_maxtablesize * 1024;
    if (h.px_maxtablesize < 1 || h.px_maxtablesize > 32)
        throw ParadoxError(m_name + ": the header gives a block size of " + std::to_string(h.px_maxtablesize) + " kB");
    if (h.px_headersize < 0x58 || h.px_headersize > size)
        throw ParadoxError(m_name + ": the header gives a header size of " + std::to_string(h.px_headersize) + " bytes, the file has " +
                           std::to_string(size));

    int offset = 0;
    for (int i = 0; i < h.px_numfields; ++i) {
        const pxfield_t& f = h.px_fields[i];
        if (!knownKind(static_cast<unsigned char>(f.px_ftype)))
            throw ParadoxError(m_name + ": field " + std::to_string(i + 1) + " has an unknown type (" +
                               std::to_string(int(static_cast<unsigned char>(f.px_ftype))) + ")");
        const int fixed = fixedLength(static_cast<unsigned char>(f.px_ftype));
        if (f.px_flen < 1 || f.px_flen > 255 || (fixed && f.px_flen != fixed))
            throw ParadoxError(m_name + ": field " + std::to_string(i + 1) + " has a wrong length (" + std::to_string(f.px_flen) + " bytes)");
        const Kind kind = static_cast<Kind>(static_cast<unsigned char>(f.px_ftype));
        if ((kind == Kind::Memo || kind == Kind::FmtMemo || kind == Kind::Blob || kind == Kind::Ole || kind == Kind::Graphic) &&
            f.px_flen < 11)
            throw ParadoxError(m_name + ": field " + std::to_string(i + 1) + " has a wrong length (" + std::to_string(f.px_flen) + " bytes)");
        m_fields.push_back(Field{f.px_fname ? std::string(f.px_fname) : std::string(), kind, f.px_flen, offset});
        offset += f.px_flen;
    }
    if (offset != h.px_recordsize)
        throw ParadoxError(m_name + ": the record size (" + std::to_string(h.px_recordsize) + " bytes) does not match its fields (" +
                           std::to_string(offset) + " bytes)");
    if (h.px_recordsize < 1 || h.px_recordsize > blockSize - 6)
        throw ParadoxError(m_name + ": the record size (" + std::to_string(h.px_recordsize) + " bytes) does not fit a block");
    const long long blocks = static_cast<long long>(h.px_fileblocks);
    if (h.px_headersize + blocks * blockSize > size)
        throw ParadoxError(m_name + ": the file is cut short: the header gives " + std::to_string(blocks) + " blocks of " +
                           std::to_string(blockSize) + " bytes after " + std::to_string(h.px_headersize) + " bytes, the file has " +
                           std::to_string(size) + " bytes");
    const long long perBlock = (blockSize - 6) / h.px_recordsize;
    if (h.px_numrecords < 0 || h.px_numrecords > blocks * perBlock)
        throw ParadoxError(m_name + ": the header gives " + std::to_string(h.px_numrecords) + " records, its blocks hold at most " +
                           std::to_string(blocks * perBlock));
    if (blocks > 0 && (h.px_firstblock < 1 || h.px_firstblock > blocks || h.px_lastblock < 1 || h.px_lastblock > blocks))
        throw ParadoxError(m_name + ": the header's first or last block lies outside the file");
    if (m_doc->failed) throw ParadoxError(m_name + ": the header is damaged");

    m_records = h.px_numrecords;
    m_codePage = h.px_doscodepage > 0 ? h.px_doscodepage : 0;
    m_autoInc = h.px_autoinc;
    m_record.resize(size_t(h.px_recordsize));

    if (!blobPath.empty()) {
        // pxlib's PX_open_blob_fp without its block list (see the top of this file).
        FILE* fp = std::fopen(blobPath.c_str(), "rb");
        if (!fp) throw ParadoxError(m_name + ": its memo file cannot be read");
        pxdoc_t* px = m_doc->px;
        pxblob_t* blob = PX_new_blob(px);  // owned by px from here on
        pxstream_t* stream = blob ? px_stream_new_file(px, pxfFileRead, px_true, fp) : nullptr;
        if (!stream) {
            std::fclose(fp);
            throw ParadoxError(m_name + ": out of memory");
        }
        blob->mb_stream = stream;
        blob->read = px_mb_read;
        blob->seek = px_mb_seek;
        blob->tell = px_mb_tell;
        blob->mb_name = PX_strdup(px, blobPath.c_str());
        const long long mbSize = fileSize(blobPath);
        if (mbSize < 4096 || mbSize % 4096 != 0 || !(blob->mb_head = get_mb_head(blob, stream)))
            throw ParadoxError(m_name + ": its memo file is damaged (" + std::to_string(mbSize) + " bytes, not whole blocks of 4096)");
    }
}

ParadoxFile::~ParadoxFile() = default;

void ParadoxFile::readRecord(int recno)
{
    if (recno < 0 || recno >= m_records) throw ParadoxError(m_name + ": there is no record " + std::to_string(recno + 1));
    m_doc->failed = false;
    if (!PX_get_record(m_doc->px, recno, m_record.data()) || m_doc->failed)
        throw ParadoxError(m_name + ": record " + std::to_string(recno + 1) + " cannot be read (its block is damaged)");
    m_recno = recno;
}

Raw ParadoxFile::value(int field) const
{
    const Field& f = m_fields.at(size_t(field));
    char* data = const_cast<char*>(m_record.data()) + f.offset;
    pxdoc_t* px = m_doc->px;
    Raw r;
    if (allZero(data, f.length)) return r;  // every kind stores a null as zero bytes
    switch (f.kind) {
    case Kind::Alpha: {
        // The bytes up to the first zero byte; blanks are kept as stored.
        r.type = Raw::Type::Bytes;
        r.bytes.assign(data, strnlen(data, size_t(f.length)));
        return r;
    }
    case Kind::Short: {
        short v = 0;
        if (PX_get_data_short(px, data, f.length, &v) <= 0) return r;
        r.type = Raw::Type::Integer;
        r.integer = v;
        return r;
    }
    case Kind::Date: case Kind::Long: case Kind::Time: case Kind::AutoInc: {
        long v = 0;
        PX_get_data_long(px, data, f.length, &v);
        r.type = Raw::Type::Integer;
        r.integer = static_cast<std::int32_t>(v);
        return r;
    }
    case Kind::Logical: {
        char v = 0;
        if (PX_get_data_byte(px, data, f.length, &v) <= 0) return r;
        r.type = Raw::Type::Integer;
        r.integer = v ? 1 : 0;
        return r;
    }
    case Kind::Currency: case Kind::Number: case Kind::Timestamp: {
        double v = 0;
        if (PX_get_data_double(px, data, f.length, &v) <= 0) return r;
        r.type = Raw::Type::Float;
        r.number = v;
        return r;
    }
    case Kind::Bcd: {
        char* text = nullptr;
        if (PX_get_data_bcd(px, reinterpret_cast<unsigned char*>(data), f.length, &text) <= 0 || !text) return r;
        r.type = Raw::Type::Bytes;
        r.bytes = text;
        px->free(px, text);
        return r;
    }
    case Kind::Memo: case Kind::FmtMemo: case Kind::Blob: case Kind::Ole: case Kind::Graphic: case Kind::Bytes: {
        if (f.kind == Kind::Bytes || f.kind == Kind::Graphic || f.kind == Kind::Ole) {
            // Not text in any of our columns: its bytes are enough to name it.
            r.type = Raw::Type::Bytes;
            r.bytes.assign(data, size_t(f.length));
            return r;
        }
        // The memo's size is in the field's last ten bytes; a size of zero is an empty memo.
        const char* tail = data + f.length - 10;
        std::uint32_t blobSize = 0;
        std::memcpy(&blobSize, tail + 4, 4);  // little-endian in the file, as on this machine
        if (blobSize == 0) return r;
        const int leader = f.length - 10;
        if (blobSize > std::uint32_t(leader) && !px->px_blob)
            throw ParadoxError(m_name + ": the memo of field " + f.name + " in record " + std::to_string(m_recno + 1) +
                               " is kept in a memo file (.MB) that is missing");
        int mod = 0, size = 0;
        char* bytes = nullptr;
        m_doc->failed = false;
        const int rc = PX_get_data_blob(px, data, f.length, &mod, &size, &bytes);
        if (rc < 0 || m_doc->failed || (rc > 0 && (!bytes || size < 0))) {
            if (bytes) px->free(px, bytes);
            throw ParadoxError(m_name + ": the memo of field " + f.name + " in record " + std::to_string(m_recno + 1) +
                               " cannot be read from its memo file (.MB)");
        }
        if (rc == 0 || !bytes) return r;
        r.type = Raw::Type::Bytes;
        r.bytes.assign(bytes, size_t(size));
        px->free(px, bytes);
        return r;
    }
    }
    return r;
}

}  // namespace paradox
