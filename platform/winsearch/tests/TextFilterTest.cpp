// The host's plain-text and RTF filters.
#include "platform/winsearch/indexer/TextFilter.h"

#include "common/ComHolders.h"
#include "platform/winsearch/indexer/FilterReader.h"
#include "platform/winsearch/indexer/RtfText.h"

#include <filterr.h>
#include <gtest/gtest.h>
#include <propsys.h>
#include <shlwapi.h>

namespace brw::winsearch {
namespace {

TEST(PlainText, ByteOrderMarksAndUtf8AreDecoded)
{
    EXPECT_EQ(L"hi", DecodePlainText(std::string("\xFF\xFEh\0i\0", 6)));
    EXPECT_EQ(L"hi", DecodePlainText(std::string("\xFE\xFF\0h\0i", 6)));
    EXPECT_EQ(L"h", DecodePlainText(std::string("\xFF\xFEh\0i", 5))) << "an odd last byte is dropped";
    EXPECT_EQ(L"caf\u00e9", DecodePlainText("\xEF\xBB\xBF"
                                            "caf\xC3\xA9"));
    EXPECT_EQ(L"caf\u00e9", DecodePlainText("caf\xC3\xA9"));
    EXPECT_EQ(L"a\uFFFDb", DecodePlainText("a\xFF"
                                           "b"))
        << "bad UTF-8 stays readable";
    EXPECT_EQ(L"", DecodePlainText(""));
}

TEST(RtfText, ControlWordsAndTablesAreDroppedAndEscapesDecoded)
{
    EXPECT_EQ(L"Hello rich text\ncaf\u00e9",
              RtfToText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator x;}\\f0 Hello "
                        "\\b rich\\b0  text\\par caf\\'e9}"));
    EXPECT_EQ(L"\u20AC!", RtfToText("{\\rtf1\\uc1\\u8364?!}")) << "the fallback character is skipped";
    EXPECT_EQ(L"\u00A0{}\\", RtfToText("{\\rtf1\\~\\{\\}\\\\}"));
}

TEST(RtfText, BrokenInputEndsQuietly)
{
    EXPECT_EQ(L"", RtfToText("{\\rtf1\\'"));
    EXPECT_EQ(L"", RtfToText("{\\rtf1\\'zz"));
    EXPECT_EQ(L"x", RtfToText(std::string(100000, '{') + "x" + std::string(5, '}')));
    EXPECT_EQ(L"ab", RtfToText("a}}}}b"));
    EXPECT_EQ(L"", RtfToText("\\" + std::string(1000, 'q') + "123456789012345"));
}

TEST(TextFilter, GivesItsTextThroughEveryLoadingInterface)
{
    const std::string bytes = "first words second";
    for (int route = 0; route < 2; ++route) {
        ComPtr<IFilter> filter;
        ASSERT_EQ(S_OK, CreateTextFilter(TextFormat::Plain, filter.put()));
        ComPtr<IStream> stream;
        stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
        if (route == 0) {
            ASSERT_EQ(S_OK, LoadFilterFromStream(filter.get(), stream.get()));
        } else {
            ComPtr<IPersistStream> persist;
            ASSERT_EQ(S_OK, filter->QueryInterface(IID_IPersistStream, persist.put_void()));
            ASSERT_EQ(S_OK, persist->Load(stream.get()));
        }
        GatherReply reply;
        ASSERT_EQ(S_OK, ReadFilter(filter.get(), &reply));
        EXPECT_EQ(L"first words second", reply.record.text);
    }
}

TEST(TextFilter, LoadsAFileThroughIPersistFileAndRefusesAMissingOne)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"brwws-textfilter.rtf";
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const char rtf[] = "{\\rtf1 rich \\par body}";
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), rtf, sizeof(rtf) - 1, &written, nullptr));
    }
    ComPtr<IFilter> filter;
    ASSERT_EQ(S_OK, CreateTextFilter(TextFormat::Rtf, filter.put()));
    ComPtr<IPersistFile> persist;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IPersistFile, persist.put_void()));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), persist->Load((path + L".missing").c_str(), STGM_READ));
    ASSERT_EQ(S_OK, persist->Load(path.c_str(), STGM_READ));
    GatherReply reply;
    ASSERT_EQ(S_OK, ReadFilter(filter.get(), &reply));
    EXPECT_EQ(L"rich \nbody", reply.record.text);
    DeleteFileW(path.c_str());
}

TEST(TextFilter, AnEmptyDocumentHasNoChunksAndGetTextOutsideAChunkFails)
{
    ComPtr<IFilter> filter;
    ASSERT_EQ(S_OK, CreateTextFilter(TextFormat::Plain, filter.put()));
    ULONG flags = 0;
    ASSERT_EQ(S_OK, filter->Init(0, 0, nullptr, &flags));
    WCHAR buffer[8];
    ULONG length = 8;
    EXPECT_EQ(FILTER_E_NO_TEXT, filter->GetText(&length, buffer));
    STAT_CHUNK chunk{};
    EXPECT_EQ(FILTER_E_END_OF_CHUNKS, filter->GetChunk(&chunk));
}

} // namespace
} // namespace brw::winsearch
