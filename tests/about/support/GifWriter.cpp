#include "GifWriter.h"

#include <map>

namespace {

int TableBits(std::size_t entries) {
    int bits = 1;
    while ((std::size_t{1} << bits) < entries)
        ++bits;
    return bits;
}

class BitPacker {
public:
    void Put(int code, int width) {
        m_accumulator |= static_cast<std::uint32_t>(code) << m_nBits;
        m_nBits += width;
        while (m_nBits >= 8) {
            m_bytes.push_back(static_cast<std::uint8_t>(m_accumulator & 0xFF));
            m_accumulator >>= 8;
            m_nBits -= 8;
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (m_nBits > 0)
            m_bytes.push_back(static_cast<std::uint8_t>(m_accumulator & 0xFF));
        return m_bytes;
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_accumulator = 0;
    int m_nBits = 0;
};

// GIF's variable-width LZW, the decoder one table entry behind the encoder.
std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& indices, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    BitPacker out;
    std::map<std::pair<int, int>, int> table;
    int next = end + 1;
    int width = minCodeSize + 1;
    out.Put(clear, width);
    if (indices.empty()) {
        out.Put(end, width);
        return out.Finish();
    }
    int prefix = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int k = indices[i];
        if (auto it = table.find({prefix, k}); it != table.end()) {
            prefix = it->second;
            continue;
        }
        out.Put(prefix, width);
        table[{prefix, k}] = next++;
        if (next > (1 << width) && width < 12)
            ++width;
        if (next == 4096) {
            out.Put(clear, width);
            table.clear();
            next = end + 1;
            width = minCodeSize + 1;
        }
        prefix = k;
    }
    out.Put(prefix, width);
    if (next == (1 << width) && width < 12)
        ++width;
    out.Put(end, width);
    return out.Finish();
}

}  // namespace

std::vector<std::uint8_t> FilledIndices(QRect rect, std::uint8_t index) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(rect.width() * rect.height()), index);
}

CGifWriter::CGifWriter(int width, int height, std::vector<QRgb> globalTable, std::string version) {
    const std::string header = "GIF" + version;
    m_bytes.assign(header.begin(), header.end());
    Word(width);
    Word(height);
    if (globalTable.empty()) {
        m_bytes.insert(m_bytes.end(), {0x00, 0x00, 0x00});
        return;
    }
    const int bits = TableBits(globalTable.size());
    m_nColours = 1 << bits;
    m_bytes.push_back(static_cast<std::uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
    m_bytes.insert(m_bytes.end(), {0x00, 0x00});
    ColourTable(globalTable);
}

CGifWriter& CGifWriter::GraphicControl(std::uint16_t delay, int disposal, int transparentIndex) {
    m_bytes.insert(m_bytes.end(), {0x21, 0xF9, 0x04});
    m_bytes.push_back(static_cast<std::uint8_t>((disposal & 7) << 2 | (transparentIndex >= 0)));
    Word(delay);
    m_bytes.push_back(static_cast<std::uint8_t>(transparentIndex >= 0 ? transparentIndex : 0));
    m_bytes.push_back(0x00);
    return *this;
}

CGifWriter& CGifWriter::Comment(const std::string& text) {
    m_bytes.insert(m_bytes.end(), {0x21, 0xFE});
    SubBlocks(std::vector<std::uint8_t>(text.begin(), text.end()));
    return *this;
}

CGifWriter& CGifWriter::Application(const std::string& identifier,
                                    const std::vector<std::uint8_t>& data) {
    m_bytes.insert(m_bytes.end(), {0x21, 0xFF, 0x0B});
    std::string id = identifier;
    id.resize(11, ' ');
    m_bytes.insert(m_bytes.end(), id.begin(), id.end());
    SubBlocks(data);
    return *this;
}

CGifWriter& CGifWriter::PlainText(const std::string& text) {
    m_bytes.insert(m_bytes.end(), {0x21, 0x01, 0x0C});
    m_bytes.insert(m_bytes.end(), 12, 0x01);
    SubBlocks(std::vector<std::uint8_t>(text.begin(), text.end()));
    return *this;
}

CGifWriter& CGifWriter::Image(QRect rect, const std::vector<std::uint8_t>& indices,
                              const std::vector<QRgb>& localTable) {
    const int colours = localTable.empty() ? m_nColours : 1 << TableBits(localTable.size());
    const int codeSize = std::max(2, TableBits(static_cast<std::size_t>(colours)));
    m_bytes.push_back(0x2C);
    Word(rect.x());
    Word(rect.y());
    Word(rect.width());
    Word(rect.height());
    if (localTable.empty()) {
        m_bytes.push_back(0x00);
    } else {
        m_bytes.push_back(static_cast<std::uint8_t>(0x80 | (TableBits(localTable.size()) - 1)));
        ColourTable(localTable);
    }
    m_bytes.push_back(static_cast<std::uint8_t>(codeSize));
    SubBlocks(Compress(indices, codeSize));
    return *this;
}

CGifWriter& CGifWriter::RawImage(QRect rect, std::uint8_t codeSize,
                                 const std::vector<std::uint8_t>& data) {
    m_bytes.push_back(0x2C);
    Word(rect.x());
    Word(rect.y());
    Word(rect.width());
    Word(rect.height());
    m_bytes.push_back(0x00);
    m_bytes.push_back(codeSize);
    SubBlocks(data);
    return *this;
}

CGifWriter& CGifWriter::Raw(const std::vector<std::uint8_t>& bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<std::uint8_t> CGifWriter::Bytes() const {
    std::vector<std::uint8_t> bytes = m_bytes;
    bytes.push_back(0x3B);
    return bytes;
}

void CGifWriter::Word(int value) {
    m_bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    m_bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void CGifWriter::ColourTable(const std::vector<QRgb>& table) {
    const int entries = 1 << TableBits(table.size());
    for (int i = 0; i < entries; ++i) {
        const QRgb colour = i < static_cast<int>(table.size()) ? table[i] : 0;
        m_bytes.insert(m_bytes.end(), {static_cast<std::uint8_t>(qRed(colour)),
                                       static_cast<std::uint8_t>(qGreen(colour)),
                                       static_cast<std::uint8_t>(qBlue(colour))});
    }
}

void CGifWriter::SubBlocks(const std::vector<std::uint8_t>& data) {
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        m_bytes.push_back(static_cast<std::uint8_t>(n));
        m_bytes.insert(m_bytes.end(), data.begin() + at, data.begin() + at + n);
    }
    m_bytes.push_back(0x00);
}
