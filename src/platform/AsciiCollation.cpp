#include "platform/AsciiCollation.h"

#include <QString>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr char First = ' ';
constexpr char Last = '~';
constexpr std::size_t Characters = Last - First + 1;

int Sign(int value) noexcept {
    return (value > 0) - (value < 0);
}

} // namespace

TAsciiCollation::TAsciiCollation(const QCollator& collator) {
    std::vector<QString> singles;
    for (char ch = First; ch <= Last; ++ch)
        singles.push_back(QString(QLatin1Char(ch)));
    // A character that weighs nothing would vanish from the texts.
    for (const QString& single : singles)
        if (collator.compare(single, QString()) == 0)
            return;

    // Characters the collator finds equal share a weight; the weights start at 1, as 0 marks the
    // end of a prefix.
    std::vector<std::size_t> order(Characters);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return collator.compare(singles[a], singles[b]) < 0;
    });
    std::uint8_t weight = 1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && collator.compare(singles[order[i - 1]], singles[order[i]]) != 0)
            ++weight;
        FWeight[static_cast<std::size_t>(First) + order[i]] = weight;
    }

    // Every text of one or two characters, in the weights' order: where each neighbour compares
    // under the collator as under the weights, the two orders are one. A contraction, an
    // expansion or a difference that counts only after the rest of the text shows up here.
    std::vector<std::string> texts{std::string()};
    for (char a = First; a <= Last; ++a) {
        texts.emplace_back(1, a);
        for (char b = First; b <= Last; ++b)
            texts.push_back(std::string{a, b});
    }
    FUsable = true; // for Compare below; withdrawn if the check fails
    std::stable_sort(
        texts.begin(), texts.end(),
        [this](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
    for (std::size_t i = 1; i < texts.size(); ++i) {
        const QString a = QString::fromLatin1(texts[i - 1]);
        const QString b = QString::fromLatin1(texts[i]);
        if (Sign(collator.compare(a, b)) != Compare(texts[i - 1], texts[i])) {
            FUsable = false;
            return;
        }
    }
}

bool TAsciiCollation::Covers(std::string_view text) noexcept {
    bool covered = true;
    // Without an early exit, so that the loop runs over many bytes at a time.
    for (const char ch : text)
        covered &= ch >= First && ch <= Last;
    return covered;
}

int TAsciiCollation::Compare(std::string_view a, std::string_view b) const noexcept {
    // Equal characters weigh alike: the common head is skipped.
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    auto at = static_cast<std::size_t>(mismatch.first - a.begin());
    for (;; ++at) {
        if (at == a.size())
            return at == b.size() ? 0 : -1;
        if (at == b.size())
            return 1;
        const int weightA = FWeight[static_cast<unsigned char>(a[at]) & 0x7F];
        const int weightB = FWeight[static_cast<unsigned char>(b[at]) & 0x7F];
        if (weightA != weightB)
            return weightA < weightB ? -1 : 1;
    }
}

std::uint64_t TAsciiCollation::Prefix(std::string_view text, std::size_t from) const noexcept {
    std::uint64_t prefix = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        prefix = (prefix << 8) |
                 (i < text.size() ? FWeight[static_cast<unsigned char>(text[i]) & 0x7F] : 0u);
    return prefix;
}
