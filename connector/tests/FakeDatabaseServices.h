#pragma once
// Stand-ins for what the database list asks of Notes and of the index,
// counting and recording every call so the tests can say how often each
// database was opened and which ones were excluded.
#include "connector/DatabaseInfoSource.h"
#include "connector/IndexExclusion.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace brwtest {

class CountingInfoSource final : public brw::DatabaseInfoSource {
public:
    // Paths in databases answer from it; others answer with a title made
    // from the path when answerEveryPath is set, and do not open otherwise.
    bool Query(const std::wstring& path, brw::InfoDetail detail, brw::DatabaseInfo* info) override
    {
        ++calls[path];
        EXPECT_EQ(brw::InfoDetail::TitleAndModified, detail);
        const auto known = databases.find(path);
        if (known != databases.end()) {
            *info = known->second;
            return true;
        }
        if (answerEveryPath) {
            *info = {L"Title of " + path, L"08/12/2026 12:00:00", true};
        }
        return answerEveryPath;
    }

    int Total() const
    {
        int total = 0;
        for (const auto& entry : calls) {
            total += entry.second;
        }
        return total;
    }

    std::map<std::wstring, brw::DatabaseInfo> databases;
    std::map<std::wstring, int> calls;
    bool answerEveryPath = false;
};

class RecordingExclusion final : public brw::IndexExclusion {
public:
    HRESULT Exclude(const std::wstring& path) override
    {
        excluded.push_back(path);
        return S_OK;
    }
    HRESULT Include(const std::wstring& path) override
    {
        included.push_back(path);
        return S_OK;
    }
    std::vector<std::wstring> excluded;
    std::vector<std::wstring> included;
};

} // namespace brwtest
