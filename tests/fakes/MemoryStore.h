// A settings store in memory, with names matched without regard to case.
#pragma once

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "main/SettingsStore.h"

namespace quillop::testing {

class MemoryStore final : public SettingsStore {
  public:
    void Open() override { ++opens; }
    StoredValue Read(const std::string& name) override {
        for (const auto& [key, value] : values) {
            if (SameName(key, name)) {
                return value;
            }
        }
        return {};
    }
    bool Write(const std::string& name, std::int32_t value) override {
        writes.emplace_back(name, value);
        if (failing.count(name) != 0) {
            return false;
        }
        std::erase_if(values, [&](const auto& entry) { return SameName(entry.first, name); });
        values.emplace_back(name, StoredValue{true, true, 4, value});
        return true;
    }
    bool Close() override {
        ++closes;
        return !failClose;
    }
    bool SetRunAtLogon(bool run) override {
        if (failRunAtLogon) {
            return false;
        }
        runAtLogon = run;
        return true;
    }
    std::string RunAtLogonName() const override { return "QuillopPro"; }
    std::string TakeOpenProblem() override { return std::exchange(openProblem, {}); }

    static bool SameName(const std::string& a, const std::string& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) ==
                   std::tolower(static_cast<unsigned char>(y));
        });
    }

    std::vector<std::pair<std::string, StoredValue>> values;
    std::vector<std::pair<std::string, std::int32_t>> writes;
    std::set<std::string> failing;
    bool failClose = false;
    bool failRunAtLogon = false;
    bool runAtLogon = false;
    std::string openProblem;
    int opens = 0;
    int closes = 0;
};

}  // namespace quillop::testing
