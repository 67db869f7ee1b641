#pragma once
// Keeps a database's documents out of the search index while it is not in
// the list: Windows Search drops what a scope rule excludes, and crawls it
// again once the rule goes.
#include <windows.h>

#include <string>

namespace brw {

class IndexExclusion {
public:
    virtual ~IndexExclusion() = default;
    virtual HRESULT Exclude(const std::wstring& databasePath) = 0;
    // S_FALSE when the database was not excluded.
    virtual HRESULT Include(const std::wstring& databasePath) = 0;
};

// The database's URL below the user's crawl root; the same text the crawl's
// notifications and the handler's URLs begin with for that database.
std::wstring DatabaseScopeUrl(const std::wstring& identity, const std::wstring& databasePath,
                              const std::wstring& dataDirectory);

// An excluding user scope rule in SystemIndex's crawl scope, per database.
// The calling thread must be in COM.
class CrawlScopeExclusion final : public IndexExclusion {
public:
    // dataDirectory: the Notes data directory, so that a full path below it
    // gives the same URL as the relative one the crawl uses.
    CrawlScopeExclusion(std::wstring identity, std::wstring dataDirectory);
    HRESULT Exclude(const std::wstring& databasePath) override;
    HRESULT Include(const std::wstring& databasePath) override;

private:
    std::wstring identity_;
    std::wstring dataDirectory_;
};

} // namespace brw
