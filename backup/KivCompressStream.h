#pragma once
// TKivCompressStream: a file stream that compresses everything written to it and
// decompresses everything read from it, block by block, in the backup archives' format.
//
// Invariants:
//  - a stream is used in one direction: created for writing (the file is created) or opened
//    for reading; data flows strictly from start to end;
//  - a Write is never split across blocks and a Read never returns bytes of two blocks;
//  - both 74000-byte buffers (and the match finder's tables) are allocated once per stream;
//  - the reader never reads or writes outside its buffers: a block that claims too much,
//    a copy reaching outside the block or a truncated block is rejected with "File is
//    corrupt" (through the message callback and a CorruptStreamError), and every later Read
//    fails the same way: nothing past a rejected block is trusted;
//  - messages go through a callback, so this library needs no windows.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "backup/KivBlockCoder.h"

namespace kiv {

// Opening, writing or reading the underlying file failed.
class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The compressed data cannot be trusted (bad block header, bad block data, truncated file).
class CorruptStreamError : public StreamError {
public:
    using StreamError::StreamError;
};

enum class MessageIcon { None, Warning };
// text, caption, icon: the stream's own messages, shown untranslated.
using MessageHandler = std::function<void(const std::string&, const std::string&, MessageIcon)>;

class TKivCompressStream {
public:
    enum class Mode { Create, Read };
    enum class Origin { Begin, Current, End };

    // Throws StreamError when the file cannot be created or opened.
    TKivCompressStream(const std::string& fileName, Mode mode, MessageHandler onMessage = {});
    // Completes a writing stream (last block and end marker) when close() was not called;
    // errors at that point are lost, so writers call close().
    ~TKivCompressStream();
    TKivCompressStream(const TKivCompressStream&) = delete;
    TKivCompressStream& operator=(const TKivCompressStream&) = delete;

    // Takes up to 64000 bytes; returns the number taken. Throws StreamError on a file error.
    std::int32_t Write(const void* buffer, std::int32_t count);
    // Delivers up to count bytes of the current block; 0 at the end of the data.
    // Throws CorruptStreamError for damaged data, StreamError on a file error.
    std::int32_t Read(void* buffer, std::int32_t count);
    // Position in and size of the compressed file.
    std::int64_t Seek(std::int64_t offset, Origin origin);
    std::int64_t Position();
    std::int64_t Size();

    // After Read returned 0: true when the data ended with the end marker, or the file was
    // empty (nothing was ever written). False for a file cut off between two blocks.
    bool endedCleanly() const { return m_endMarker || !m_blockSeen; }

    // Writes the last block and the end marker (writing streams) and closes the file.
    // Throws StreamError when that fails. Further calls do nothing.
    void close();

private:
    void flushBlock();
    bool loadBlock();
    [[noreturn]] void rejectBlock();
    void writeBytes(const void* data, std::size_t count);
    std::size_t readBytes(void* data, std::size_t count);
    void message(const std::string& text, const std::string& caption, MessageIcon icon);

    std::FILE* m_file = nullptr;
    std::string m_fileName;
    Mode m_mode;
    MessageHandler m_onMessage;
    std::unique_ptr<std::uint8_t[]> m_packed;  // kBufferSize plus slack for the bit reader
    std::unique_ptr<std::uint8_t[]> m_plain;   // kBufferSize
    std::unique_ptr<KivMatchFinder> m_finder;  // writing streams only
    std::int32_t m_packedPos = 0;
    std::int32_t m_plainPos = 0;
    std::int32_t m_packedSize = 0;
    std::int32_t m_plainCount = 0;
    bool m_writing = true;
    bool m_atEnd = false;
    bool m_endMarker = false;
    bool m_blockSeen = false;
    bool m_corrupt = false;
};

}  // namespace kiv
