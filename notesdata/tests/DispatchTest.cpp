// Requests from the pipe as the dispatcher sees them: well-formed or not,
// known or not, with their attributes read by the shared rules.
#include <gtest/gtest.h>

#include <objbase.h>

#include <string>

#include "connector/ReplyBuffer.h"
#include "notesdata/CommandDispatch.h"
#include "notesdata/RequestXml.h"

namespace {

constexpr wchar_t kPrologue[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>";

// Writes what it read: the attribute "db" and the boolean "preview".
class EchoCommand : public brw::CmdBase {
public:
    using CmdBase::CmdBase;
    bool ReadAttributes() override
    {
        db_ = brw::ReadTextAttribute(Element(), L"db", L"<none>");
        preview_ = brw::ReadBoolAttribute(Element(), L"preview", false);
        initthread_ = brw::ReadBoolAttribute(Element(), L"initthread", true);
        return brw::HasAttribute(Element(), L"db");
    }
    int Execute(ReplyWriter* writer) override
    {
        writer->AppendText(db_.c_str(), -1);
        writer->AppendText(preview_ ? L"|preview" : L"|text", -1);
        writer->AppendText(initthread_ ? L"|init" : L"|noinit", -1);
        return 0;
    }

private:
    std::wstring db_;
    bool preview_ = false;
    bool initthread_ = true;
};

std::unique_ptr<brw::CmdBase> MakeEcho(IXMLDOMElement* element)
{
    return std::make_unique<EchoCommand>(element);
}

const brw::CommandEntry kCommands[] = {{L"get_document", &MakeEcho}};

struct Dispatched {
    int result;
    std::wstring reply;
};

Dispatched Dispatch(const std::wstring& request)
{
    brw::ReplyBuffer reply;
    int result = brw::DispatchRequest(kCommands, 1, &reply, request.c_str());
    return {result, reply.Text()};
}

TEST(Dispatch, KnownCommandRunsWithItsAttributes)
{
    Dispatched run = Dispatch(std::wstring(kPrologue) + L"<get_document db=\"mail%20box.nsf\" preview=\"TRUE\"/>");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.reply, L"mail%20box.nsf|preview|init");
}

TEST(Dispatch, BooleansAreTrueOnlyForTrueAndOtherwiseTheirDefault)
{
    EXPECT_EQ(Dispatch(L"<get_document preview=\"yes\" initthread=\"false\"/>").reply, L"<none>|text|init");
    EXPECT_EQ(Dispatch(L"<get_document preview=\"tRuE\" initthread=\"\"/>").reply, L"<none>|preview|init");
}

TEST(Dispatch, EntitiesInAttributesAreDecodedByTheParser)
{
    EXPECT_EQ(Dispatch(L"<get_document db=\"a&amp;b&lt;c&#x41;\"/>").reply, L"a&b<cA|text|init");
}

TEST(Dispatch, RequestsThatNameNoCommandFail)
{
    const wchar_t* requests[] = {
        L"<Get_Document db=\"x\"/>",                  // names compare with case
        L"<get_documents/>",
        L"<get_document db=\"a&b\"/>",                // not well-formed
        L"<get_document db='x'",                       // truncated
        L"not xml at all",
        L"",
        L"<?xml version=\"1.0\" ?>",                  // no document element
    };
    for (const wchar_t* request : requests) {
        Dispatched run = Dispatch(request);
        EXPECT_EQ(run.result, 1) << std::string(request, request + wcslen(request));
        EXPECT_EQ(run.reply, L"");
    }
    brw::ReplyBuffer reply;
    EXPECT_EQ(brw::DispatchRequest(kCommands, 1, &reply, nullptr), 1);
    EXPECT_EQ(brw::DispatchRequest(kCommands, 1, nullptr, L"<get_document/>"), 1);
}

TEST(Dispatch, RequestsDeclaringADocumentTypeFail)
{
    const std::wstring requests[] = {
        std::wstring(kPrologue) + L"<!DOCTYPE get_document [<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>"
                                  L"<get_document db=\"&x;\"/>",
        std::wstring(kPrologue) + L"<!DOCTYPE get_document SYSTEM \"\\\\srv\\share\\x.dtd\"><get_document db=\"x\"/>",
        L"<!DOCTYPE get_document [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><get_document db=\"&b;\"/>",
        L"<!DOCTYPE get_document><get_document db=\"x\"/>",
    };
    for (const std::wstring& request : requests) {
        Dispatched run = Dispatch(request);
        EXPECT_EQ(run.result, 1) << std::string(request.begin(), request.end());
        EXPECT_EQ(run.reply, L"");
    }
    EXPECT_EQ(Dispatch(std::wstring(kPrologue) + L"<get_document db=\"x\"/>").result, 0) << "the same without one";
}

TEST(Dispatch, HugeAttributeValueIsReadWhole)
{
    std::wstring value(100000, L'x');
    Dispatched run = Dispatch(L"<get_document db=\"" + value + L"\"/>");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.reply, value + L"|text|init");
}

TEST(Dispatch, LeavesTheCallersComAsItFoundIt)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Dispatch(L"<get_document db=\"x\"/>");
    // Still initialised: a second initialisation only nests (S_FALSE).
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
}

}  // namespace
