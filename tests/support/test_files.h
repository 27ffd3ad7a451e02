#pragma once
// Content for files to upload, and what the simulated unit stored, for end-to-end tests.

#include <QByteArray>
#include <QRandomGenerator>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace mfd::test {

// Reproducible bytes: the same seed gives the same file.
inline QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char(gen.generate() & 0xFF);
    return b;
}

// A stored file whole, or "<missing>", which no compared source equals.
inline QByteArray readRaw(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    if (!in)
        return QByteArray("<missing>");
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return QByteArray(s.data(), qsizetype(s.size()));
}

} // namespace mfd::test
