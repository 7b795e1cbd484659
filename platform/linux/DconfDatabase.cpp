#include "platform/linux/DconfDatabase.h"

#include <QStandardPaths>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform::dconf {

namespace {

// The file's layout, in the byte order of the machine that wrote it (ours: a user database is
// written on this machine).
constexpr std::uint32_t kSignature0 = 0x72615647;  // "GVar"
constexpr std::uint32_t kSignature1 = 0x746e6169;  // "iant"
constexpr std::uint32_t kNoParent = 0xFFFFFFFF;
constexpr std::uint32_t kBloomWordsMask = (1u << 27) - 1;
constexpr std::size_t kHeaderSize = 24;
constexpr std::size_t kItemSize = 24;

struct Item {
    std::uint32_t hash;
    std::uint32_t parent;
    std::uint32_t keyStart;
    std::uint16_t keySize;
    char type;
    std::uint32_t valueStart;
    std::uint32_t valueEnd;
};

class Table {
public:
    explicit Table(const QByteArray& file) : data(file) {
        std::uint32_t rootStart = 0;
        std::uint32_t rootEnd = 0;
        if (Word(0) != kSignature0 || Word(4) != kSignature1 || !Read(16, rootStart) ||
            !Read(20, rootEnd) || rootEnd > Size() || std::size_t(rootStart) + 8 > rootEnd)
            return;
        const std::uint32_t bloomWords = Word(rootStart) & kBloomWordsMask;
        buckets = Word(rootStart + 4);
        bucketsAt = rootStart + 8 + std::size_t(bloomWords) * 4;
        itemsAt = bucketsAt + std::size_t(buckets) * 4;
        if (itemsAt > rootEnd)
            buckets = 0;
        else
            items = (rootEnd - itemsAt) / kItemSize;
    }

    std::optional<QByteArray> Value(const QByteArray& key) const {
        if (buckets == 0)
            return std::nullopt;
        const std::uint32_t hash = Hash(key);
        const std::uint32_t bucket = hash % buckets;
        std::size_t last = bucket + 1 < buckets ? Word(bucketsAt + (bucket + 1) * 4) : items;
        last = std::min(last, items);
        for (std::size_t index = Word(bucketsAt + bucket * 4); index < last; ++index) {
            const Item item = ItemAt(index);
            if (item.hash == hash && Names(item, key) && item.type == 'v' &&
                item.valueStart <= item.valueEnd && item.valueEnd <= Size())
                return data.mid(item.valueStart, item.valueEnd - item.valueStart);
        }
        return std::nullopt;
    }

private:
    static std::uint32_t Hash(const QByteArray& key) {
        std::uint32_t hash = 5381;
        for (const char c : key)
            hash = hash * 33 + std::uint32_t(static_cast<signed char>(c));
        return hash;
    }

    std::size_t Size() const { return std::size_t(data.size()); }

    template <typename Number>
    bool Read(std::size_t at, Number& value) const {
        if (at + sizeof(Number) > Size())
            return false;
        const QByteArray bytes = data.mid(qsizetype(at), qsizetype(sizeof(Number)));
        std::memcpy(&value, bytes.constData(), sizeof(Number));
        return true;
    }

    std::uint32_t Word(std::size_t at) const {
        std::uint32_t value = 0;
        return Read(at, value) ? value : 0;
    }

    Item ItemAt(std::size_t index) const {
        const std::size_t at = itemsAt + index * kItemSize;
        Item item{};
        Read(at, item.hash);
        Read(at + 4, item.parent);
        Read(at + 8, item.keyStart);
        Read(at + 12, item.keySize);
        Read(at + 14, item.type);
        Read(at + 16, item.valueStart);
        Read(at + 20, item.valueEnd);
        return item;
    }

    // An item's name is its own piece after those of its parents.
    bool Names(Item item, QByteArray key) const {
        for (std::size_t depth = 0; depth <= items; ++depth) {
            if (item.keySize > key.size() || std::size_t(item.keyStart) + item.keySize > Size() ||
                !key.endsWith(data.mid(item.keyStart, item.keySize)))
                return false;
            key.chop(item.keySize);
            if (item.parent == kNoParent)
                return key.isEmpty();
            if (item.parent >= items)
                return false;
            item = ItemAt(item.parent);
        }
        return false;
    }

    const QByteArray& data;
    std::uint32_t buckets = 0;
    std::size_t bucketsAt = 0;
    std::size_t itemsAt = 0;
    std::size_t items = 0;
};

}  // namespace

QString UserDatabasePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/dconf/user");
}

std::optional<bool> ReadBool(const QByteArray& database, const QByteArray& key) {
    // A variant: the value's byte, a zero, then its type.
    const std::optional<QByteArray> variant = Table(database).Value(key);
    for (const bool value : {false, true}) {
        if (variant == QByteArray(1, char(value)) + QByteArray("\0b", 2))
            return value;
    }
    return std::nullopt;
}

}  // namespace platform::dconf
