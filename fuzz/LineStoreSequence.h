#pragma once

// Drives the record line store and a plain model of it through the same steps, taken from a byte
// string, and tells the first step after which they disagree. The model keeps the lines in file
// order in a vector and sorts it again whenever the order must hold.

#include "FuzzInput.h"
#include "platform/TextCompare.h"
#include "vault/LineStore.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace reference {

class TLineStoreSequence {
public:
    // Empty when every step agreed; otherwise what differed.
    std::string Run(TFuzzInput& input) {
        std::vector<std::string> initial;
        for (int count = input.Byte() % 12; count > 0; --count)
            initial.push_back(Line(input));
        Assign(initial);
        for (int step = 0; input.Remaining() > 0 && step < 64; ++step) {
            const std::uint8_t op = input.Byte() % 5;
            if (op == 0 || FFile.empty()) {
                Add(Line(input));
            } else if (op == 1 || op == 2) {
                Put(Pick(input), Line(input));
            } else if (op == 3) {
                Erase(Pick(input));
            } else {
                Settle();
            }
            if (std::string problem = Compare(); !problem.empty())
                return "step " + std::to_string(step) + ": " + problem;
        }
        Settle();
        return Compare();
    }

private:
    struct TEntry {
        int Id;
        std::string Line;
    };

    // Short lines of few letters in both cases, so that many compare equal without being equal.
    static std::string Line(TFuzzInput& input) {
        static constexpr char Letters[] = {'a', 'A', 'b', 'B', ';', '0'};
        std::string line;
        for (int length = 1 + input.Byte() % 3; length > 0; --length)
            line += Letters[input.Byte() % sizeof Letters];
        return line;
    }
    static bool Before(const TEntry& a, const TEntry& b) {
        return CompareTextLocale(a.Line, b.Line) < 0;
    }
    int Pick(TFuzzInput& input) const { return FFile[input.Byte() % FFile.size()].Id; }
    auto Renumberer() {
        return [this](const auto& map) {
            for (int& index : FIndexOf)
                if (index >= 0)
                    index = map(index);
        };
    }
    void InsertInOrder(TEntry entry) {
        FFile.insert(std::upper_bound(FFile.begin(), FFile.end(), entry, Before), std::move(entry));
    }

    void Assign(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            FIndexOf.push_back(static_cast<int>(FFile.size()));
            FFile.push_back({static_cast<int>(FFile.size()), line});
        }
        FSorted = std::is_sorted(FFile.begin(), FFile.end(), Before);
        FStore.Assign(lines);
        FStore.AdoptOrder(TextOrder(FStore.Stored()));
    }
    void Add(const std::string& line) {
        if (!FSorted)
            std::stable_sort(FFile.begin(), FFile.end(), Before);
        FSorted = true;
        const int id = static_cast<int>(FIndexOf.size());
        InsertInOrder({id, line});
        FIndexOf.push_back(FStore.Add(line));
    }
    void Put(int id, const std::string& line) {
        const auto at = Find(id);
        at->Line = line;
        if (FSorted && !std::is_sorted(FFile.begin(), FFile.end(), Before)) {
            TEntry entry = std::move(*at);
            FFile.erase(at);
            InsertInOrder(std::move(entry));
        }
        FStore.Put(FIndexOf[static_cast<std::size_t>(id)], line, Renumberer());
    }
    void Erase(int id) {
        FFile.erase(Find(id));
        const int index = std::exchange(FIndexOf[static_cast<std::size_t>(id)], -1);
        FStore.Erase(index, Renumberer());
    }
    void Settle() { FStore.InFileOrder(Renumberer()); }
    std::vector<TEntry>::iterator Find(int id) {
        return std::find_if(FFile.begin(), FFile.end(),
                            [id](const TEntry& entry) { return entry.Id == id; });
    }

    std::string Compare() {
        if (FStore.Count() != static_cast<int>(FFile.size()))
            return "count " + std::to_string(FStore.Count()) + " instead of " +
                   std::to_string(FFile.size());
        // Every line is where its holder was told it is.
        for (const TEntry& entry : FFile)
            if (FStore[FIndexOf[static_cast<std::size_t>(entry.Id)]] != entry.Line)
                return "line " + std::to_string(entry.Id) + " lost its index";
        // The file's order: the model's, up to lines that compare equal, whose order is open.
        std::vector<std::string> written = FStore.InFileOrder(Renumberer()).Lines();
        for (std::size_t place = 0; place < written.size(); ++place)
            if (CompareTextLocale(written[place], FFile[place].Line) != 0)
                return "place " + std::to_string(place) + " holds " + written[place] +
                       " instead of " + FFile[place].Line;
        std::vector<std::string> expected;
        for (const TEntry& entry : FFile)
            expected.push_back(entry.Line);
        std::sort(written.begin(), written.end());
        std::sort(expected.begin(), expected.end());
        return written == expected ? std::string() : std::string("the lines differ");
    }

    TLineStore FStore;
    std::vector<TEntry> FFile; // the model: lines in file order
    bool FSorted = true;       // the model's file order is CompareTextLocale order
    std::vector<int> FIndexOf; // the store's index of each line, by id; -1 once erased
};

} // namespace reference
