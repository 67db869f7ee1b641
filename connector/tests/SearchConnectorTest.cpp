// Search connector files: what the dialog's OK accepts and refuses, the
// bytes written for every kind read back through a namespace-aware parser,
// and the favourite's shortcut resolved back to the file it points at.
#include "common/ComHolders.h"
#include "connector/ConnectorForm.h"
#include "connector/SearchConnectorFile.h"
#include "connector/SearchConnectorKinds.h"
#include "tests/support/CallerTrace.h"
#include "tests/support/ScratchFolder.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <msxml2.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace brw::connectors;
using brw::Bstr;
using brw::ComPtr;

constexpr wchar_t kServer[] = L"https://connections.example.com";
constexpr wchar_t kConnectionsQuery[] =
    L"/search/atom/mysearch/results?query={searchTerms}&start={startIndex}&ps={count}&scope=";

class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(hr_)) {
            CoUninitialize();
        }
    }
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

ConnectorForm KindForm(LPARAM kind, std::wstring name, std::wstring server = kServer)
{
    ConnectorForm form;
    form.chosenKind = kind;
    form.name = std::move(name);
    form.server = std::move(server);
    return form;
}

ConnectorForm QueryForm(std::wstring name, std::wstring server, std::wstring query)
{
    ConnectorForm form;
    form.source = ConnectorSource::CustomQuery;
    form.name = std::move(name);
    form.server = std::move(server);
    form.query = std::move(query);
    return form;
}

TEST(ConnectorFormTest, NamesThatAreNotOneFileNameAskForAName)
{
    const std::wstring hostile[] = {L"",
                                    L"   \t ",
                                    L".",
                                    L"..",
                                    L"..\\..\\Startup\\run",
                                    L"a/b",
                                    L"C:evil",
                                    L"star*",
                                    L"what?",
                                    L"say \"hi\"",
                                    L"<tag>",
                                    L"pipe|line",
                                    std::wstring(L"bell\x07", 5),
                                    std::wstring(L"nul\0inside", 10),
                                    L"tab\tinside",
                                    L"CON",
                                    L"con.txt",
                                    L"Lpt1",
                                    L"NUL .x",
                                    L"ends with dot.",
                                    std::wstring(MAX_PATH, L'n')};
    for (const std::wstring& name : hostile) {
        const FormOutcome outcome = CheckConnectorForm(KindForm(1, name));
        EXPECT_EQ(FormProblem::NeedName, outcome.problem) << "name of " << name.size() << " characters";
        EXPECT_TRUE(outcome.connector.name.empty());
    }
    EXPECT_STREQ(L"Provide a name for this connector", FormProblemMessage(FormProblem::NeedName));
}

TEST(ConnectorFormTest, OrdinaryNamesAreTrimmedAndKept)
{
    for (const wchar_t* name : {L"Team wiki", L"CONSOLE", L"con-men", L"a.b.c", L".hidden", L"\u00e9t\u00e9 2026"}) {
        EXPECT_TRUE(IsValidFileName(name)) << "name index";
    }
    const FormOutcome outcome = CheckConnectorForm(KindForm(3, L"  \tTeam blogs \r\n"));
    ASSERT_EQ(FormProblem::None, outcome.problem);
    EXPECT_EQ(L"Team blogs", outcome.connector.name);
}

TEST(ConnectorFormTest, EachMissingPieceKeepsTheDialogOpenWithItsOwnMessage)
{
    EXPECT_EQ(FormProblem::NeedServer, CheckConnectorForm(KindForm(1, L"n", L"")).problem);
    EXPECT_EQ(FormProblem::NeedServer,
              CheckConnectorForm(KindForm(1, L"n", std::wstring(kMaxConnectorUrlText + 1, L'h'))).problem);
    EXPECT_EQ(FormProblem::NeedQuery, CheckConnectorForm(QueryForm(L"n", kServer, L"")).problem);
    EXPECT_EQ(FormProblem::NeedQuery,
              CheckConnectorForm(QueryForm(L"n", kServer, std::wstring(kMaxConnectorUrlText + 1, L'q'))).problem);

    ConnectorForm nothingChosen = KindForm(1, L"n");
    nothingChosen.chosenKind.reset();
    EXPECT_EQ(FormProblem::NoKindChosen, CheckConnectorForm(nothingChosen).problem);
    EXPECT_EQ(FormProblem::UnknownKind, CheckConnectorForm(KindForm(0, L"n")).problem);
    EXPECT_EQ(FormProblem::UnknownKind, CheckConnectorForm(KindForm(14, L"n")).problem);

    for (FormProblem problem : {FormProblem::NeedName, FormProblem::NeedServer, FormProblem::NeedQuery,
                                FormProblem::NoKindChosen, FormProblem::UnknownKind, FormProblem::EndsCdataBlock}) {
        ASSERT_NE(nullptr, FormProblemMessage(problem));
        EXPECT_NE(L'\0', FormProblemMessage(problem)[0]);
    }
    EXPECT_EQ(nullptr, FormProblemMessage(FormProblem::None));
}

TEST(ConnectorFormTest, TextThatWouldEndItsCdataSectionIsRefused)
{
    EXPECT_EQ(FormProblem::NeedName, CheckConnectorForm(KindForm(1, L"a]]>b")).problem) << "'>' never names a file";
    EXPECT_EQ(FormProblem::EndsCdataBlock, CheckConnectorForm(KindForm(1, L"n", L"https://x/]]>")).problem);
    EXPECT_EQ(FormProblem::EndsCdataBlock, CheckConnectorForm(QueryForm(L"n", kServer, L"/q?a=]]>&b")).problem);
    EXPECT_EQ(FormProblem::None, CheckConnectorForm(QueryForm(L"n", kServer, L"/q?a=]]&b=>")).problem);
}

TEST(ConnectorKindsTest, ThirteenConnectionsKindsWithDistinctDataAndTheirOfferedNames)
{
    const auto& kinds = ConnectionsKinds();
    for (size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(static_cast<LPARAM>(i + 1), kinds[i].itemData);
        EXPECT_EQ(&kinds[i], FindConnectionsKind(kinds[i].itemData));
    }
    EXPECT_STREQ(L"IBM Connections Personal By ACL", FindConnectionsKind(11)->suggestedName);
    EXPECT_STREQ(L"IBM Connections", FindConnectionsKind(1)->suggestedName);
    EXPECT_EQ(nullptr, FindConnectionsKind(-1));
}

TEST(ConnectorKindsTest, TrailingSlashesOfTheServerAreDroppedFromTheQueryTemplateOnly)
{
    ConnectorDescription connector = CustomConnector(L"n", L"https://host///", L"/find?q={searchTerms}");
    EXPECT_EQ(L"https://host/find?q={searchTerms}", OpenSearchQueryTemplate(connector));
    EXPECT_EQ(L"https://host///", connector.server);
    EXPECT_EQ(L"/q", OpenSearchQueryTemplate(CustomConnector(L"n", L"///", L"/q")));
}

// What a parser that knows namespaces finds in a saved file.
class SavedConnector {
public:
    explicit SavedConnector(const std::wstring& path)
    {
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"MSXML2.DOMDocument.3.0", &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, document_.put_void()))) {
            return;
        }
        VARIANT file;
        VariantInit(&file);
        Bstr text(SysAllocString(path.c_str()));
        file.vt = VT_BSTR;
        file.bstrVal = text.get();
        VARIANT_BOOL loaded = VARIANT_FALSE;
        loaded_ = SUCCEEDED(document_->load(file, &loaded)) && loaded == VARIANT_TRUE;
    }

    bool Loaded() const { return loaded_; }
    IXMLDOMDocument* Document() const { return document_.get(); }

private:
    ComPtr<IXMLDOMDocument> document_;
    bool loaded_ = false;
};

std::vector<ComPtr<IXMLDOMNode>> Children(IXMLDOMNode* parent)
{
    std::vector<ComPtr<IXMLDOMNode>> children;
    ComPtr<IXMLDOMNode> child;
    parent->get_firstChild(child.put());
    while (child) {
        ComPtr<IXMLDOMNode> next;
        child->get_nextSibling(next.put());
        children.push_back(std::move(child));
        child = std::move(next);
    }
    return children;
}

std::wstring Read(IXMLDOMNode* node, HRESULT (STDMETHODCALLTYPE IXMLDOMNode::*getter)(BSTR*))
{
    Bstr text;
    if (node == nullptr || (node->*getter)(text.put()) != S_OK || !text) {
        return {};
    }
    return text.get();
}

std::wstring Text(IXMLDOMNode* node)
{
    return Read(node, &IXMLDOMNode::get_text);
}
std::wstring Name(IXMLDOMNode* node)
{
    return Read(node, &IXMLDOMNode::get_baseName);
}
std::wstring Namespace(IXMLDOMNode* node)
{
    return Read(node, &IXMLDOMNode::get_namespaceURI);
}

std::wstring Attribute(IXMLDOMNode* node, const wchar_t* name)
{
    ComPtr<IXMLDOMElement> element;
    VARIANT value;
    VariantInit(&value);
    Bstr attribute(SysAllocString(name));
    if (FAILED(node->QueryInterface(IID_IXMLDOMElement, element.put_void())) ||
        element->getAttribute(attribute.get(), &value) != S_OK || value.vt != VT_BSTR) {
        VariantClear(&value);
        return L"<absent>";
    }
    std::wstring text = value.bstrVal;
    VariantClear(&value);
    return text;
}

DOMNodeType Type(IXMLDOMNode* node)
{
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    return type;
}

// The element children of parent, each checked to be in the description
// namespace, by their names in order.
std::vector<std::wstring> ElementNames(IXMLDOMNode* parent, const char* file = __builtin_FILE(),
                                       int line = __builtin_LINE())
{
    brwtest::CallerTrace trace(file, line);
    std::vector<std::wstring> names;
    for (const ComPtr<IXMLDOMNode>& child : Children(parent)) {
        EXPECT_EQ(NODE_ELEMENT, Type(child.get()));
        EXPECT_EQ(kConnectorNamespace, Namespace(child.get())) << Name(child.get());
        names.push_back(Name(child.get()));
    }
    return names;
}

// One property of the bag: a CDATA section as its only child.
void ExpectProperty(IXMLDOMNode* property, const wchar_t* name, const std::wstring& value, const wchar_t* type,
                    const char* file = __builtin_FILE(), int line = __builtin_LINE())
{
    brwtest::CallerTrace trace(file, line);
    EXPECT_EQ(name, Attribute(property, L"name"));
    EXPECT_EQ(type, Attribute(property, L"type"));
    const auto children = Children(property);
    ASSERT_EQ(1u, children.size());
    EXPECT_EQ(NODE_CDATA_SECTION, Type(children[0].get()));
    EXPECT_EQ(value, Text(children[0].get()));
}

std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class ConnectorFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(com_.Result());
        ASSERT_TRUE(CreateDirectoryW(folders_.searches.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(folders_.links.c_str(), nullptr));
    }

    // Writes connector, then checks every byte's meaning read back.
    void ExpectWrittenAsDescribed(const ConnectorDescription& connector, const std::wstring& expectedTemplate,
                                  const char* file = __builtin_FILE(), int line = __builtin_LINE())
    {
        brwtest::CallerTrace trace(file, line);
        const ConnectorWriteResult written = WriteConnector(connector, folders_, FavoriteLink::Skip);
        ASSERT_HRESULT_SUCCEEDED(written.file);
        EXPECT_EQ(folders_.searches + L"\\" + connector.name + L".searchConnector-ms", written.filePath);
        EXPECT_EQ(0, FileBytes(written.filePath).rfind("<?xml version", 0)) << "UTF-8 with no byte order mark";

        SavedConnector saved(written.filePath);
        ASSERT_TRUE(saved.Loaded());
        const auto top = Children(saved.Document());
        ASSERT_EQ(3u, top.size());
        EXPECT_EQ(NODE_PROCESSING_INSTRUCTION, Type(top[0].get()));
        EXPECT_EQ(NODE_COMMENT, Type(top[1].get()));
        EXPECT_EQ(L"Created by Brimlow Search", Text(top[1].get()));
        IXMLDOMNode* root = top[2].get();
        EXPECT_EQ(L"searchConnectorDescription", Name(root));
        EXPECT_EQ(kConnectorNamespace, Namespace(root));

        const std::vector<std::wstring> order = {L"isSearchOnlyItem", L"domain",
                                                 L"description",      L"supportsAdvancedQuerySyntax",
                                                 L"templateInfo",     L"locationProvider"};
        ASSERT_EQ(order, ElementNames(root));
        const auto parts = Children(root);
        EXPECT_EQ(L"true", Text(parts[0].get()));
        EXPECT_EQ(connector.server, Text(parts[1].get()));
        EXPECT_EQ(connector.name, Text(parts[2].get()));
        EXPECT_EQ(L"false", Text(parts[3].get()));
        ASSERT_EQ(std::vector<std::wstring>{L"folderType"}, ElementNames(parts[4].get()));
        EXPECT_EQ(L"{8FAF9629-1980-46FF-8023-9DCEAB9C3EE3}", Text(parts[4].get()));

        IXMLDOMNode* provider = parts[5].get();
        EXPECT_EQ(L"{48E277F6-4E74-4cd6-BA6F-FA4F42898223}", Attribute(provider, L"clsid"));
        ASSERT_EQ(std::vector<std::wstring>{L"propertyBag"}, ElementNames(provider));
        const auto bag = Children(Children(provider)[0].get());
        ASSERT_EQ((std::vector<std::wstring>{L"property", L"property", L"property"}),
                  ElementNames(Children(provider)[0].get()));
        ExpectProperty(bag[0].get(), L"OpenSearchShortName", connector.name, L"<absent>");
        ExpectProperty(bag[1].get(), L"OpenSearchQueryTemplate", expectedTemplate, L"<absent>");
        ExpectProperty(bag[2].get(), L"MaximumResultCount", L"100", L"uint32");
    }

    ComApartment com_;
    brwtest::ScratchFolder scratch_{L"brwconnector"};
    ConnectorFolders folders_{scratch_.Sub(L"Searches"), scratch_.Sub(L"Links")};
};

TEST_F(ConnectorFileTest, EveryConnectionsKindIsWrittenWithItsScope)
{
    for (const ConnectionsKind& kind : ConnectionsKinds()) {
        const FormOutcome outcome = CheckConnectorForm(KindForm(kind.itemData, kind.suggestedName, L"https://c.x/"));
        ASSERT_EQ(FormProblem::None, outcome.problem);
        ExpectWrittenAsDescribed(outcome.connector, std::wstring(L"https://c.x") + kConnectionsQuery + kind.scope);
    }
}

TEST_F(ConnectorFileTest, CustomQueryKeepsMarkupCharactersAndNonAsciiTextExactly)
{
    const FormOutcome outcome =
        CheckConnectorForm(QueryForm(L" Caf\u00e9 & R&D ", L"https://s.example/a&b//", L"/q?x=<{searchTerms}>&y=]]"));
    ASSERT_EQ(FormProblem::None, outcome.problem) << "an & is allowed in file names";
    ExpectWrittenAsDescribed(outcome.connector, L"https://s.example/a&b/q?x=<{searchTerms}>&y=]]");
    EXPECT_EQ(L"Caf\u00e9 & R&D", outcome.connector.name);
}

TEST_F(ConnectorFileTest, ExistingFileOfTheSameNameIsReplaced)
{
    ExpectWrittenAsDescribed(CustomConnector(L"same", L"https://old", L"/a"), L"https://old/a");
    ExpectWrittenAsDescribed(CustomConnector(L"same", L"https://new", L"/b"), L"https://new/b");
}

TEST_F(ConnectorFileTest, FavoriteShortcutResolvesToTheConnectorFileAndCarriesItsName)
{
    const ConnectorDescription connector = CustomConnector(L"Wiki search", kServer, L"/s?q={searchTerms}");
    const ConnectorWriteResult written = WriteConnector(connector, folders_, FavoriteLink::Create);
    ASSERT_HRESULT_SUCCEEDED(written.file);
    ASSERT_HRESULT_SUCCEEDED(written.shortcut);

    ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()));
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link.As(&file));
    ASSERT_HRESULT_SUCCEEDED(file->Load((folders_.links + L"\\Wiki search.lnk").c_str(), STGM_READ));
    wchar_t target[MAX_PATH] = {};
    ASSERT_HRESULT_SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
    EXPECT_EQ(CSTR_EQUAL, CompareStringOrdinal(written.filePath.c_str(), -1, target, -1, TRUE)) << target;
    wchar_t description[MAX_PATH] = {};
    ASSERT_HRESULT_SUCCEEDED(link->GetDescription(description, MAX_PATH));
    EXPECT_STREQ(L"Wiki search", description);
}

TEST_F(ConnectorFileTest, NoShortcutUnlessAskedAndAMissingLinksFolderFailsOnlyTheShortcut)
{
    const ConnectorDescription connector = CustomConnector(L"plain", kServer, L"/q");
    const ConnectorWriteResult skipped = WriteConnector(connector, folders_, FavoriteLink::Skip);
    ASSERT_HRESULT_SUCCEEDED(skipped.file);
    EXPECT_EQ(S_FALSE, skipped.shortcut);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folders_.links + L"\\plain.lnk").c_str()));

    const ConnectorFolders noLinks{folders_.searches, scratch_.Sub(L"missing")};
    const ConnectorWriteResult linkFailed = WriteConnector(connector, noLinks, FavoriteLink::Create);
    EXPECT_HRESULT_SUCCEEDED(linkFailed.file);
    EXPECT_TRUE(FAILED(linkFailed.shortcut));
}

TEST_F(ConnectorFileTest, UnwritableOrOverlongTargetFailsTheFileWithAMessageNamingIt)
{
    const ConnectorFolders missing{scratch_.Sub(L"no such folder"), folders_.links};
    const ConnectorWriteResult failed =
        WriteConnector(CustomConnector(L"x", kServer, L"/q"), missing, FavoriteLink::Create);
    EXPECT_TRUE(FAILED(failed.file));
    EXPECT_EQ(S_FALSE, failed.shortcut) << "no shortcut to a file that is not there";
    EXPECT_EQ(0, ConnectorErrorMessage(failed).rfind(L"Error creating document to " + failed.filePath + L" 0x", 0));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folders_.links + L"\\x.lnk").c_str()));

    const std::wstring longName(MAX_PATH - folders_.searches.size() - 10, L'L');
    const ConnectorWriteResult tooLong =
        WriteConnector(CustomConnector(longName, kServer, L"/q"), folders_, FavoriteLink::Skip);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE), tooLong.file);
    EXPECT_TRUE(tooLong.filePath.empty());
}

TEST(ConnectorFoldersTest, UsersSearchesAndLinksFoldersExistAfterAsking)
{
    ComApartment com;
    ASSERT_HRESULT_SUCCEEDED(com.Result());
    ConnectorFolders folders;
    ASSERT_HRESULT_SUCCEEDED(UserConnectorFolders(&folders));
    for (const std::wstring& folder : {folders.searches, folders.links}) {
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << "folder not created";
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    EXPECT_NE(folders.searches, folders.links);
    EXPECT_EQ(E_POINTER, UserConnectorFolders(nullptr));
}

} // namespace
