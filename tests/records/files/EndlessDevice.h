#pragma once

#include <QIODevice>
#include <algorithm>

namespace korvex::test {

// A read-only stream of a prefix followed by a pattern repeated up to `size` bytes in all, produced as it
// is read, so tests can offer gigabytes without holding them. It counts what the reader took.
class EndlessDevice : public QIODevice {
public:
    EndlessDevice(QByteArray prefix, QByteArray pattern, qint64 size)
        : m_prefix(std::move(prefix))
        , m_pattern(std::move(pattern))
        , m_size(size)
    {
        open(QIODevice::ReadOnly);
    }

    bool isSequential() const override { return true; }
    qint64 bytesTaken() const { return m_position; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = std::min(maxSize, m_size - m_position);
        for (qint64 i = 0; i < count; ++i) {
            const qint64 at = m_position + i;
            data[i] = at < m_prefix.size() ? m_prefix[at] : m_pattern[(at - m_prefix.size()) % m_pattern.size()];
        }
        m_position += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_prefix;
    QByteArray m_pattern;
    qint64 m_size;
    qint64 m_position = 0;
};

}  // namespace korvex::test
