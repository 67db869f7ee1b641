// MIME entities taken apart: which parts are text and which are files,
// how alternatives are chosen, and hostile entities that try to run the
// parser past its limits or past the bytes it was given.
#include "notesdata/mime/MimeEntity.h"

#include "notesdata/mime/MessageText.h"
#include "notesdata/mime/TransferEncoding.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

namespace {

using brw::mime::Message;
using brw::mime::ParseOutcome;

const std::string kAlternative = "Content-Type: multipart/alternative; boundary=\"alt\"\r\n"
                                 "\r\n"
                                 "preamble, never shown\r\n"
                                 "--alt\r\n"
                                 "Content-Type: text/plain; charset=iso-8859-1\r\n"
                                 "Content-Transfer-Encoding: quoted-printable\r\n"
                                 "\r\n"
                                 "Gr=FC=DFe aus dem Lager\r\n"
                                 "--alt\r\n"
                                 "Content-Type: text/html; charset=utf-8\r\n"
                                 "\r\n"
                                 "<p>Gr\xC3\xBC\xC3\x9F"
                                 "e aus dem <b>Lager</b></p>\r\n"
                                 "--alt--\r\n"
                                 "epilogue, never shown\r\n";

std::string Mixed(const std::string& first, const std::string& second)
{
    return "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed;\r\n boundary=\"==mix==\"\r\n"
           "\r\n"
           "--==mix==\r\n" +
           kAlternative +
           "\r\n--==mix==\r\n"
           "Content-Type: application/pdf; name=\"=?utf-8?Q?Pr=C3=BCfung.pdf?=\"\r\n"
           "Content-Transfer-Encoding: base64\r\n"
           "\r\n" +
           first +
           "\r\n--==mix==\r\n"
           "Content-Type: application/octet-stream\r\n"
           "Content-Disposition: attachment; filename*=utf-8''%C3%A9t%C3%A9.bin\r\n"
           "Content-Transfer-Encoding: base64\r\n"
           "\r\n" +
           second + "\r\n--==mix==--\r\n";
}

bool LiesWithin(std::string_view inner, const std::string& outer)
{
    return inner.empty() ||
           (inner.data() >= outer.data() && inner.data() + inner.size() <= outer.data() + outer.size());
}

TEST(MimeEntity, APartWithoutHeadersIsPlainTextAndASinglePartIsItsBody)
{
    const std::string entity = "Subject: x\r\n\r\nJust text\r\n";
    const Message message = brw::mime::ParseEntity(entity);
    ASSERT_EQ(1u, message.parts.size());
    EXPECT_EQ("text/plain", message.parts[0].type);
    EXPECT_EQ("Just text\r\n", message.parts[0].body);
    EXPECT_EQ(ParseOutcome::Complete, message.outcome);
    EXPECT_EQ(L"Just text\r\n", brw::mime::MessageText(message));
}

TEST(MimeEntity, OfTwoAlternativesThePlainOneIsTheText)
{
    const Message message = brw::mime::ParseEntity(kAlternative);
    ASSERT_EQ(2u, message.parts.size());
    EXPECT_EQ(L"Gr\u00FC\u00DFe aus dem Lager", brw::mime::MessageText(message));
    EXPECT_EQ(0u, brw::mime::MessageAttachments(message).size());
}

TEST(MimeEntity, AnHtmlOnlyMessageGivesItsVisibleText)
{
    const std::string entity = "Content-Type: text/html; charset=\"utf-8\"\r\n"
                               "Content-Transfer-Encoding: base64\r\n\r\n"
                               "PGh0bWw+PGJvZHk+PHA+SGFsbG8gPGk+V2VsdDwvaT48L3A+PC9ib2R5PjwvaHRtbD4=\r\n";
    const std::wstring text = brw::mime::MessageText(brw::mime::ParseEntity(entity));
    EXPECT_NE(std::wstring::npos, text.find(L"Hallo Welt")) << text;
    EXPECT_EQ(std::wstring::npos, text.find(L'<')) << text;
}

TEST(MimeEntity, MixedMailListsItsFilesAndDecodesThemByteForByte)
{
    const Message message = brw::mime::ParseEntity(Mixed("JVBERi0xLjQK\r\nAAEC/w==", "AP8AAQ=="));
    EXPECT_EQ(ParseOutcome::Complete, message.outcome);
    const std::vector<const brw::mime::Part*> files = brw::mime::MessageAttachments(message);
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ(L"Pr\u00FCfung.pdf", files[0]->fileName);
    EXPECT_EQ(std::string("%PDF-1.4\n\x00\x01\x02\xFF", 13), brw::mime::DecodedBody(*files[0]));
    EXPECT_EQ(L"\u00E9t\u00E9.bin", files[1]->fileName);
    EXPECT_EQ(std::string("\x00\xFF\x00\x01", 4), brw::mime::DecodedBody(*files[1]));
    EXPECT_EQ(L"Gr\u00FC\u00DFe aus dem Lager", brw::mime::MessageText(message));
}

TEST(MimeEntity, ABoundaryInsideTextIsNoDelimiterUnlessItFillsTheLine)
{
    const std::string entity =
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n"
        "--b\r\n\r\nsee --b in the text\r\n--bx is another boundary\r\n--b  \r\n\r\nsecond\r\n--b--";
    const Message message = brw::mime::ParseEntity(entity);
    ASSERT_EQ(2u, message.parts.size());
    EXPECT_EQ("see --b in the text\r\n--bx is another boundary", message.parts[0].body);
    EXPECT_EQ("second", message.parts[1].body);
}

TEST(MimeEntity, AMissingClosingDelimiterEndsTheLastPartAtTheEnd)
{
    const std::string entity = "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\none\r\n--b\r\n\r\ntwo, cut";
    const Message message = brw::mime::ParseEntity(entity);
    ASSERT_EQ(2u, message.parts.size());
    EXPECT_EQ("two, cut", message.parts[1].body);
    EXPECT_EQ(L"one two, cut", brw::mime::MessageText(message));
}

TEST(MimeEntity, AMultipartWithoutBoundaryOrDelimitersHasNoHiddenParts)
{
    EXPECT_EQ(L"body", brw::mime::MessageText(brw::mime::ParseEntity("Content-Type: multipart/mixed\r\n\r\nbody")));
    EXPECT_EQ(0u, brw::mime::ParseEntity("Content-Type: multipart/mixed; boundary=q\r\n\r\nno delimiter").parts.size());
    const std::string longBoundary(71, 'b');
    EXPECT_EQ(1u, brw::mime::ParseEntity("Content-Type: multipart/mixed; boundary=" + longBoundary + "\r\n\r\n--" +
                                         longBoundary + "\r\n\r\nx")
                      .parts.size());
}

TEST(MimeEntity, AForwardedMessageIsReadAsPartOfTheText)
{
    const std::string entity = "Content-Type: multipart/mixed; boundary=o\r\n\r\n--o\r\n\r\nsee below\r\n--o\r\n"
                               "Content-Type: message/rfc822\r\n\r\nSubject: old\r\n\r\nold text\r\n--o--\r\n";
    EXPECT_EQ(L"see below old text", brw::mime::MessageText(brw::mime::ParseEntity(entity)));
}

// Nesting a thousand deep: the parser stops at its depth, keeps nothing
// deeper and says so.
TEST(MimeEntity, DeepNestingStopsAtTheDepthLimit)
{
    std::string entity;
    for (int level = 0; level < 1000; ++level) {
        entity += "Content-Type: multipart/mixed; boundary=n" + std::to_string(level) + "\r\n\r\n--n" +
                  std::to_string(level) + "\r\n";
    }
    entity += "\r\ndeepest text\r\n";
    const Message message = brw::mime::ParseEntity(entity);
    EXPECT_EQ(ParseOutcome::Truncated, message.outcome);
    EXPECT_EQ(0u, message.parts.size());
}

TEST(MimeEntity, PartCountIsBoundedAndTheFirstPartsAreKept)
{
    std::string entity = "Content-Type: multipart/mixed; boundary=p\r\n\r\n";
    for (int part = 0; part < 600; ++part) {
        entity += "--p\r\n\r\n" + std::to_string(part) + "\r\n";
    }
    brw::mime::Limits limits;
    limits.maxParts = 512;
    const Message message = brw::mime::ParseEntity(entity, limits);
    EXPECT_EQ(ParseOutcome::Truncated, message.outcome);
    ASSERT_EQ(512u, message.parts.size());
    EXPECT_EQ("511", message.parts.back().body);
}

TEST(MimeEntity, AHeaderFieldBeyondTheLimitIsLeftOutWhole)
{
    const std::string entity = "Content-Type: text/html; x=\"" + std::string(1024 * 1024, 'h') +
                               "\"\r\nContent-Transfer-Encoding: base64\r\n\r\nSGk=";
    const Message message = brw::mime::ParseEntity(entity);
    ASSERT_EQ(1u, message.parts.size());
    EXPECT_EQ("text/plain", message.parts[0].type);
    EXPECT_EQ(L"Hi", brw::mime::MessageText(message));
}

TEST(MimeEntity, AnEntityBeyondTheSizeLimitIsRejected)
{
    brw::mime::Limits limits;
    limits.maxEntityBytes = 16;
    const Message message = brw::mime::ParseEntity(std::string(17, 'x'), limits);
    EXPECT_EQ(ParseOutcome::Rejected, message.outcome);
    EXPECT_TRUE(message.parts.empty());
    EXPECT_EQ(ParseOutcome::Complete, brw::mime::ParseEntity(std::string(16, 'x'), limits).outcome);
}

// Mail as an attacker writes it: the sample cut at random places, bytes
// overwritten, delimiters repeated, headers doubled. Every run must end
// with parts inside the given bytes and within the limits. The seed is
// fixed so a failure can be replayed.
TEST(MimeEntity, RandomlyDamagedMailNeverLeavesItsBytesOrLimits)
{
    std::mt19937 random(20261208);
    const std::string sample = Mixed("JVBERi0xLjQK\r\nAAEC/w==", "!!garbage@@AP8A\x01\x02AQ==");
    const std::string fragments[] = {"\r\n--==mix==\r\n",
                                     "\r\n--alt--",
                                     "Content-Type: multipart/mixed; boundary=z\r\n\r\n--z\r\n",
                                     "=?utf-8?B?",
                                     "\r\n\r\n",
                                     "=",
                                     "\"",
                                     ";"};
    brw::mime::Limits limits;
    limits.maxParts = 64;
    for (int run = 0; run < 2000; ++run) {
        std::string entity = sample;
        const int damage = 1 + static_cast<int>(random() % 6);
        for (int step = 0; step < damage; ++step) {
            const size_t at = random() % (entity.size() + 1);
            switch (random() % 4) {
            case 0:
                entity.resize(at);
                break;
            case 1:
                if (at < entity.size()) {
                    entity[at] = static_cast<char>(random() & 0xFF);
                }
                break;
            case 2:
                entity.insert(at, fragments[random() % std::size(fragments)]);
                break;
            default:
                entity.erase(at, random() % 40);
                break;
            }
        }
        const Message message = brw::mime::ParseEntity(entity, limits);
        ASSERT_LE(message.parts.size(), limits.maxParts) << "run " << run;
        for (const brw::mime::Part& part : message.parts) {
            ASSERT_TRUE(LiesWithin(part.body, entity)) << "run " << run;
            const std::string decoded = brw::mime::DecodedBody(part);
            ASSERT_LE(decoded.size(), part.body.size()) << "run " << run;
            ASSERT_EQ(decoded.size(), brw::mime::DecodedSize(part.body, part.encoding)) << "run " << run;
        }
        brw::mime::MessageText(message);
    }
}

} // namespace
