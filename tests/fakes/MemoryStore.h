// A settings store in memory, with names matched without regard to case.
#pragma once

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "main/SettingsStore.h"

namespace quillop::testing {

class MemoryStore final : public SettingsStore {
  public:
    void Open(StoreAccess access) override {
        ++opens;
        accesses.push_back(access);
    }
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
            refusal = "Access is denied";
            return false;
        }
        std::erase_if(values, [&](const auto& entry) { return SameName(entry.first, name); });
        values.emplace_back(name, StoredValue{true, true, 4, value});
        return true;
    }
    bool Close() override {
        ++closes;
        if (failClose) {
            refusal = "No space left on device";
        }
        return !failClose;
    }
    bool SetRunAtLogon(bool run) override {
        if (failRunAtLogon) {
            refusal = "Invalid path";
            return false;
        }
        runAtLogon = run;
        return true;
    }
    bool RunsAtLogon() override { return runAtLogon; }
    std::string RunAtLogonName() const override { return "QuillopPro"; }
    std::string Place() const override { return "the store"; }
    std::string RunAtLogonPlace() const override { return "the logon list"; }
    std::string LastRefusal() const override { return refusal; }
    std::optional<StoreProblem> TakeOpenProblem() override {
        return std::exchange(openProblem, std::nullopt);
    }

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
    std::optional<StoreProblem> openProblem;
    std::vector<StoreAccess> accesses;
    std::string refusal;
    int opens = 0;
    int closes = 0;
};

}  // namespace quillop::testing
