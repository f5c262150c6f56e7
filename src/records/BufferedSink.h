#pragma once

#include <QIODevice>
#include <string>
#include <string_view>

namespace korvex {

// Collects bytes and hands them to a device in large pieces; remembers whether any write failed.
class BufferedSink {
public:
    explicit BufferedSink(QIODevice& out, std::size_t pieceSize = 1 << 20)
        : m_out(out)
        , m_pieceSize(pieceSize)
    {
        m_buffer.reserve(pieceSize + 4096);
    }

    // Writers append to the buffer directly and call FlushIfFull after each row.
    std::string& Buffer() { return m_buffer; }
    void FlushIfFull()
    {
        if (m_buffer.size() >= m_pieceSize)
            Flush();
    }

    // Writes what is collected; false once any write has failed.
    bool Flush()
    {
        if (m_ok && !m_buffer.empty()) {
            const auto size = static_cast<qint64>(m_buffer.size());
            m_ok = m_out.write(m_buffer.data(), size) == size;
        }
        m_buffer.clear();
        return m_ok;
    }

private:
    QIODevice& m_out;
    std::size_t m_pieceSize;
    std::string m_buffer;
    bool m_ok = true;
};

}  // namespace korvex
