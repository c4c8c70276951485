#include "runtime/RandomUuid.h"

#include <QRandomGenerator>
#include <array>
#include <cstring>
#include <random>

namespace tavrin {

namespace {

std::mt19937_64 seededGenerator() {
    std::array<std::uint32_t, 8> seed{};
    QRandomGenerator::system()->fillRange(seed.data(), seed.size());
    std::seed_seq sequence(seed.begin(), seed.end());
    return std::mt19937_64(sequence);
}

}  // namespace

QUuid makeRandomUuid() {
    thread_local std::mt19937_64 generator = seededGenerator();
    std::array<std::uint64_t, 2> words{generator(), generator()};
    std::array<char, 16> bytes{};
    std::memcpy(bytes.data(), words.data(), bytes.size());
    bytes[6] = char((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = char((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return QUuid::fromRfc4122(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

}  // namespace tavrin
