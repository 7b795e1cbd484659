#pragma once

#include <QRect>
#include <QRgb>

#include <cstdint>
#include <string>
#include <vector>

// Builds GIF files block by block, so that tests can make well-formed files and then cut,
// patch or mis-order them at will.
class CGifWriter {
public:
    CGifWriter(int width, int height, std::vector<QRgb> globalTable, std::string version = "89a");

    CGifWriter& GraphicControl(std::uint16_t delay, int disposal, int transparentIndex = -1);
    CGifWriter& Comment(const std::string& text);
    CGifWriter& Application(const std::string& identifier, const std::vector<std::uint8_t>& data);
    CGifWriter& PlainText(const std::string& text);
    // One index a pixel, row by row, LZW-compressed as a GIF encoder does.
    CGifWriter& Image(QRect rect, const std::vector<std::uint8_t>& indices,
                      const std::vector<QRgb>& localTable = {});
    // An image whose code size byte and data chain are given as they are.
    CGifWriter& RawImage(QRect rect, std::uint8_t codeSize, const std::vector<std::uint8_t>& data);
    CGifWriter& Raw(const std::vector<std::uint8_t>& bytes);

    // The file so far with its trailer.
    std::vector<std::uint8_t> Bytes() const;
    std::vector<std::uint8_t> BytesWithoutTrailer() const { return m_bytes; }

private:
    void Word(int value);
    void ColourTable(const std::vector<QRgb>& table);
    void SubBlocks(const std::vector<std::uint8_t>& data);

    std::vector<std::uint8_t> m_bytes;
    int m_nColours = 2;
};

// A uniform frame of one colour index.
std::vector<std::uint8_t> FilledIndices(QRect rect, std::uint8_t index);
