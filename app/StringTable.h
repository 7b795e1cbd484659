#pragma once

#include <string>
#include <vector>

// Numbered interface strings from the data file "resources.txt", in code page 1256.
class CStringTable {
public:
    static CStringTable* Instance();
    static void DestroyInstance();

    // The text of string `id` with "\n" pairs turned into line feeds; empty when out of range.
    std::string GetString(int id) const;

private:
    CStringTable();

    int m_nBaseId = 130;
    std::vector<std::string> m_strings;
};
