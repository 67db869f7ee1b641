// The pipe's gate: the crawl command never runs for a pipe client, whatever
// the request's prolog looks like; every other command reaches the service.
#include "connector/RequestGate.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct GateCase {
    const wchar_t* request;
    bool served;
};

TEST(RequestGate, TheCrawlCommandIsRefusedInEveryDress)
{
    const GateCase cases[] = {
        {L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><crawl_databases sid=\"{S-1-5-21}\" initthread=\"true\" />",
         false},
        {L"<crawl_databases/>", false},
        {L"<crawl_databases>", false},
        {L"\xFEFF  \r\n<crawl_databases sid=\"x\"/>", false},
        {L"<?xml version=\"1.0\"?><!-- a <get_document/> in a comment --><crawl_databases/>", false},
        {L"<?xml version=\"1.0\"?><?other instruction?>\t<crawl_databases\tsid=\"\"/>", false},
        // The service compares names with the locale; a soft hyphen is
        // ignorable there and must not slip the crawl past the gate.
        {L"<crawl_\x00AD"
         L"databases/>",
         false},
    };
    for (const GateCase& c : cases) {
        EXPECT_EQ(c.served, brw::IsServedOverPipe(c.request)) << std::wstring(c.request).size();
    }
}

TEST(RequestGate, OtherCommandsAndNamesThatOnlyLookAlikeAreServed)
{
    const GateCase cases[] = {
        {L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_document sid=\"{S-1}\" />", true},
        {L"<get_database_list/>", true},
        {L"<crawl_databases_now/>", true},
        {L"<Crawl_Databases/>", true}, // the service compares case too
        {L"<x:crawl_databases xmlns:x=\"urn:x\"/>", true},
    };
    for (const GateCase& c : cases) {
        EXPECT_EQ(c.served, brw::IsServedOverPipe(c.request)) << std::wstring(c.request).size();
    }
}

TEST(RequestGate, RequestsWhoseCommandCannotBeToldAreRefused)
{
    const GateCase cases[] = {
        {L"", false},
        {L"   ", false},
        {L"not xml", false},
        {L"<?xml version=\"1.0\"", false},                // instruction never closed
        {L"<!-- never closed <crawl_databases/>", false}, // comment never closed
        {L"<!DOCTYPE r [<!ENTITY e \"x\">]><crawl_databases/>", false},
        {L"<!DOCTYPE get_document><get_document/>", false},
        {L"< crawl_databases/>", false},
        {L"<>", false},
    };
    for (const GateCase& c : cases) {
        EXPECT_EQ(c.served, brw::IsServedOverPipe(c.request)) << std::wstring(c.request).size();
    }
    EXPECT_FALSE(brw::IsServedOverPipe(nullptr));
}

TEST(RequestGate, TheRootNameEndsAtSpaceSlashOrTheEndOfTheTag)
{
    EXPECT_EQ(L"get_document", brw::RootElementName(L"<get_document\nsid=\"\"/>").value_or(L"?"));
    EXPECT_EQ(L"a", brw::RootElementName(L"<a/>").value_or(L"?"));
    EXPECT_EQ(L"a", brw::RootElementName(L"<a>").value_or(L"?"));
    EXPECT_EQ(L"unterminated", brw::RootElementName(L"<unterminated").value_or(L"?"));
}

} // namespace
