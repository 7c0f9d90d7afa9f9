// TKivCompressStream over a stdio file. Blocks: 3-byte plain size, method byte, (method 2:
// three escape bytes), 3-byte packed size, packed data; the end marker is a plain size of 0.
#include "backup/KivCompressStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kiv {

namespace {

const char* const kCorrupt = "File is corrupt";

void put24(std::uint8_t* out, std::int32_t v)
{
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
    out[2] = static_cast<std::uint8_t>(v >> 16);
}

std::int32_t get24(const std::uint8_t* in)
{
    return in[0] | (in[1] << 8) | (in[2] << 16);
}

}  // namespace

TKivCompressStream::TKivCompressStream(const std::string& fileName, Mode mode, MessageHandler onMessage)
    : m_fileName(fileName), m_mode(mode), m_onMessage(std::move(onMessage))
{
    m_file = std::fopen(fileName.c_str(), mode == Mode::Create ? "wb" : "rb");
    if (!m_file)
        throw StreamError("Cannot " + std::string(mode == Mode::Create ? "create" : "open") + " " + fileName +
                          ": " + std::strerror(errno));
    m_packed = std::make_unique<std::uint8_t[]>(kBufferSize + kPackedSlack);
    m_plain = std::make_unique<std::uint8_t[]>(kBufferSize);
    if (mode == Mode::Create) m_finder = std::make_unique<KivMatchFinder>();
}

TKivCompressStream::~TKivCompressStream()
{
    try {
        close();
    } catch (...) {
        // A destructor cannot report; writers call close() and see the error there.
    }
    if (m_file) std::fclose(m_file);
}

void TKivCompressStream::message(const std::string& text, const std::string& caption, MessageIcon icon)
{
    if (m_onMessage) m_onMessage(text, caption, icon);
}

void TKivCompressStream::writeBytes(const void* data, std::size_t count)
{
    if (count && std::fwrite(data, 1, count, m_file) != count)
        throw StreamError("Cannot write " + m_fileName + ": " + std::strerror(errno));
}

std::size_t TKivCompressStream::readBytes(void* data, std::size_t count)
{
    const std::size_t got = std::fread(data, 1, count, m_file);
    if (got < count && std::ferror(m_file))
        throw StreamError("Cannot read " + m_fileName + ": " + std::strerror(errno));
    return got;
}

std::int32_t TKivCompressStream::Write(const void* buffer, std::int32_t count)
{
    if (m_mode != Mode::Create || !m_file) throw StreamError("Stream is not open for writing");
    if (count <= 0) return 0;
    if (count > kBlockLimit) {
        message("Can't write so huge amount of data", "CompressStream", MessageIcon::Warning);
        count = kBlockLimit;
    }
    if (m_plainPos + count > kBlockLimit) flushBlock();
    std::memcpy(m_plain.get() + m_plainPos, buffer, static_cast<std::size_t>(count));
    m_plainPos += count;
    m_plainCount += count;
    return count;
}

void TKivCompressStream::flushBlock()
{
    if (m_plainCount == 0) return;
    std::uint8_t header[4];
    put24(header, m_plainCount);
    header[3] = 3;
    m_packedSize = encodeBlock(m_plain.get(), m_plainCount, m_packed.get(), *m_finder);
    std::uint8_t packedSize[3];
    put24(packedSize, m_packedSize);
    writeBytes(header, sizeof header);
    writeBytes(packedSize, sizeof packedSize);
    writeBytes(m_packed.get(), static_cast<std::size_t>(m_packedSize));
    m_plainPos = m_plainCount = m_packedPos = m_packedSize = 0;
    m_writing = true;
}

void TKivCompressStream::close()
{
    if (!m_file) return;
    std::FILE* file = m_file;
    if (m_mode == Mode::Create && m_writing && m_plainCount > 0) {
        try {
            flushBlock();
            const std::uint8_t endMarker[3] = {0, 0, 0};
            writeBytes(endMarker, sizeof endMarker);
        } catch (...) {
            m_file = nullptr;
            std::fclose(file);
            throw;
        }
    }
    m_file = nullptr;
    if (std::fclose(file) != 0 && m_mode == Mode::Create)
        throw StreamError("Cannot write " + m_fileName + ": " + std::strerror(errno));
}

void TKivCompressStream::rejectBlock()
{
    m_corrupt = true;
    m_plainPos = m_plainCount = 0;
    message(kCorrupt, "Compress Stream", MessageIcon::Warning);
    throw CorruptStreamError(kCorrupt);
}

// Reads and decodes the next block; false at the end marker or at the end of the file.
bool TKivCompressStream::loadBlock()
{
    m_writing = false;
    m_plainPos = m_plainCount = 0;
    std::uint8_t field[3];
    const std::size_t got = readBytes(field, 3);
    if (got == 0) return false;  // a missing header counts as the end marker
    if (got < 3) rejectBlock();
    m_blockSeen = true;
    const std::int32_t plainSize = get24(field);
    if (plainSize == 0) {
        m_endMarker = true;
        return false;
    }
    std::uint8_t method = 0;
    std::uint8_t escapes[3] = {0, 0, 0};
    if (readBytes(&method, 1) != 1) rejectBlock();
    if (method == 2 && readBytes(escapes, 3) != 3) rejectBlock();
    if (readBytes(field, 3) != 3) rejectBlock();
    m_packedSize = get24(field);
    if (plainSize > kBlockLimit || m_packedSize > kBufferSize) rejectBlock();
    if (readBytes(m_packed.get(), static_cast<std::size_t>(m_packedSize)) != static_cast<std::size_t>(m_packedSize))
        rejectBlock();
    std::memset(m_packed.get() + m_packedSize, 0, kPackedSlack);
    const DecodeResult result = decodeBlock(method, escapes, m_packed.get(), m_packedSize, m_plain.get(), plainSize);
    if (result == DecodeResult::UnknownMethod) {
        message("CompressFormat not supported", "Error", MessageIcon::None);
        rejectBlock();
    }
    if (result != DecodeResult::Ok) rejectBlock();
    m_plainCount = plainSize;
    return true;
}

std::int32_t TKivCompressStream::Read(void* buffer, std::int32_t count)
{
    if (m_mode != Mode::Read || !m_file) throw StreamError("Stream is not open for reading");
    if (m_corrupt) throw CorruptStreamError(kCorrupt);
    if (count <= 0) return 0;
    if (count > kBlockLimit) {
        message("Can't load so huge amount of data", "CompressStream", MessageIcon::Warning);
        count = kBlockLimit;
    }
    if (m_plainPos == m_plainCount) {
        if (m_atEnd || !loadBlock()) {
            m_atEnd = true;
            return 0;
        }
    }
    const std::int32_t n = std::min(count, m_plainCount - m_plainPos);
    std::memcpy(buffer, m_plain.get() + m_plainPos, static_cast<std::size_t>(n));
    m_plainPos += n;
    return n;
}

std::int64_t TKivCompressStream::Seek(std::int64_t offset, Origin origin)
{
    if (!m_file) throw StreamError("Stream is closed");
    const int whence = origin == Origin::Begin ? SEEK_SET : origin == Origin::Current ? SEEK_CUR : SEEK_END;
    if (std::fseek(m_file, static_cast<long>(offset), whence) != 0)
        throw StreamError("Cannot seek in " + m_fileName);
    return std::ftell(m_file);
}

std::int64_t TKivCompressStream::Position()
{
    return m_file ? std::ftell(m_file) : 0;
}

std::int64_t TKivCompressStream::Size()
{
    if (!m_file) return 0;
    const long here = std::ftell(m_file);
    std::fseek(m_file, 0, SEEK_END);
    const long size = std::ftell(m_file);
    std::fseek(m_file, here, SEEK_SET);
    return size;
}

}  // namespace kiv
