// Requests from the pipe as the dispatcher sees them: well-formed or not,
// known or not, with their attributes read by the shared rules.
#include "common/ComApartment.h"
#include "connector/ReplyBuffer.h"
#include "notesdata/commands/CommandDispatch.h"
#include "notesdata/commands/DomClass.h"
#include "notesdata/commands/RequestXml.h"

#include <objbase.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

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

Dispatched Dispatch(const std::wstring& request, brw::DomClass* domClass = nullptr)
{
    brw::ReplyBuffer reply;
    int result = brw::DispatchRequest(kCommands, 1, &reply, request.c_str(), domClass);
    return {result, reply.Text()};
}

constexpr wchar_t kEcho[] = L"<get_document db=\"x\"/>";

TEST(Dispatch, KnownCommandRunsWithItsAttributes)
{
    Dispatched run = Dispatch(std::wstring(kPrologue) + L"<get_document db=\"mail%20box.nsf\" preview=\"TRUE\"/>");
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(L"mail%20box.nsf|preview|init", run.reply);
}

TEST(Dispatch, BooleansAreTrueOnlyForTrueAndOtherwiseTheirDefault)
{
    EXPECT_EQ(L"<none>|text|init", Dispatch(L"<get_document preview=\"yes\" initthread=\"false\"/>").reply);
    EXPECT_EQ(L"<none>|preview|init", Dispatch(L"<get_document preview=\"tRuE\" initthread=\"\"/>").reply);
}

TEST(Dispatch, EntitiesInAttributesAreDecodedByTheParser)
{
    EXPECT_EQ(L"a&b<cA|text|init", Dispatch(L"<get_document db=\"a&amp;b&lt;c&#x41;\"/>").reply);
}

TEST(Dispatch, RequestsThatNameNoCommandFail)
{
    const wchar_t* requests[] = {
        L"<Get_Document db=\"x\"/>", // names compare with case
        L"<get_documents/>",
        L"<get_document db=\"a&b\"/>", // not well-formed
        L"<get_document db='x'",       // truncated
        L"not xml at all",
        L"",
        L"<?xml version=\"1.0\" ?>", // no document element
    };
    for (const wchar_t* request : requests) {
        Dispatched run = Dispatch(request);
        EXPECT_EQ(1, run.result) << std::string(request, request + wcslen(request));
        EXPECT_EQ(L"", run.reply);
    }
    brw::ReplyBuffer reply;
    EXPECT_EQ(1, brw::DispatchRequest(kCommands, 1, &reply, nullptr));
    EXPECT_EQ(1, brw::DispatchRequest(kCommands, 1, nullptr, L"<get_document/>"));
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
        EXPECT_EQ(1, run.result) << std::string(request.begin(), request.end());
        EXPECT_EQ(L"", run.reply);
    }
    EXPECT_EQ(0, Dispatch(std::wstring(kPrologue) + L"<get_document db=\"x\"/>").result) << "the same without one";
}

TEST(Dispatch, HugeAttributeValueIsReadWhole)
{
    std::wstring value(100000, L'x');
    Dispatched run = Dispatch(L"<get_document db=\"" + value + L"\"/>");
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(run.reply, value + L"|text|init");
}

TEST(Dispatch, LeavesTheCallersComAsItFoundIt)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Dispatch(L"<get_document db=\"x\"/>");
    // Still initialised: a second initialisation only nests (S_FALSE).
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
    CoUninitialize();
}

// The DOM's class object a service keeps: used on the thread that owns it
// while that thread's COM lasts, and never where COM comes and goes with
// each request.
TEST(DispatchDomClass, RequestsParseOnTheOwningThreadAndOnOthers)
{
    brw::DomClass domClass;
    brw::ComApartment apartment;
    for (int request = 0; request < 3; ++request) {
        EXPECT_EQ(L"x|text|init", Dispatch(kEcho, &domClass).reply) << "request " << request;
    }
    std::wstring elsewhere;
    std::thread other([&] {
        brw::ComApartment own;
        elsewhere = Dispatch(kEcho, &domClass).reply;
    });
    other.join();
    EXPECT_EQ(L"x|text|init", elsewhere);
}

TEST(DispatchDomClass, AThreadWithoutComOfItsOwnParsesEveryRequestAfresh)
{
    brw::DomClass domClass;
    std::wstring replies;
    std::thread bare([&] {
        // Each request brings COM up and takes it down again.
        for (int request = 0; request < 3; ++request) {
            replies += Dispatch(kEcho, &domClass).reply + L";";
        }
    });
    bare.join();
    EXPECT_EQ(L"x|text|init;x|text|init;x|text|init;", replies);
    brw::ComApartment apartment;
    EXPECT_EQ(L"x|text|init", Dispatch(kEcho, &domClass).reply) << "the class is still to be claimed";
}

TEST(DispatchDomClass, ADomClassOutlivingItsOwnersApartmentIsLeftAlone)
{
    auto domClass = std::make_unique<brw::DomClass>();
    std::thread owner([&] {
        brw::ComApartment apartment;
        Dispatch(kEcho, domClass.get());
    });
    owner.join();
    domClass.reset(); // on another thread, after the owner's COM ended
    SUCCEED();
}

} // namespace
