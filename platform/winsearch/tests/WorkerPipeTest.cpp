// Frames between the indexer host and a worker over a real pipe: every size
// arrives whole in both directions, whether or not it fits the first read,
// and a frame that lies about its size or stops short is refused.
#include "platform/winsearch/indexer/WorkerPipe.h"

#include "common/Handles.h"
#include "platform/winsearch/indexer/WorkerMessages.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

using brw::FileHandle;
using brw::KernelHandle;
using namespace brw::winsearch;

constexpr ULONGLONG kPatienceMs = 20000;

std::wstring NewPipeName()
{
    static std::atomic<unsigned> counter{0};
    wchar_t name[96];
    swprintf(name, 96, L"\\\\.\\pipe\\brw-worker-pipe-test-%lu-%u", GetCurrentProcessId(), ++counter);
    return name;
}

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + i % 23);
    }
    return bytes;
}

// The host's overlapped server end and the worker's blocking client end.
class WorkerPipe : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring name = NewPipeName();
        FileHandle server(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                           PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
        ASSERT_TRUE(server);
        // Stands for the worker process, which never ends here.
        workerAlive_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        host_ = std::make_unique<OverlappedPipe>(std::move(server), workerAlive_.get());
        worker_.reset(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(worker_);
        ASSERT_EQ(S_OK, host_->Connect(Deadline()));
    }

    static ULONGLONG Deadline() { return GetTickCount64() + kPatienceMs; }

    // Raw bytes from the worker's end, as a broken worker might send them.
    void WorkerSendsRaw(const std::string& bytes)
    {
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(worker_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        ASSERT_EQ(bytes.size(), written);
    }

    static std::string Header(DWORD size)
    {
        std::string header(sizeof(size), '\0');
        std::memcpy(header.data(), &size, sizeof(size));
        return header;
    }

    KernelHandle workerAlive_;
    std::unique_ptr<OverlappedPipe> host_;
    FileHandle worker_;
};

TEST_F(WorkerPipe, FramesOfEverySizeArriveWholeBothWays)
{
    const size_t sizes[] = {0, 1, kFirstReadBytes - sizeof(DWORD), kFirstReadBytes, 3 * kFirstReadBytes + 7, 1 << 20};
    for (size_t size : sizes) {
        const std::string sent = Pattern(size);
        // The pipe holds 4 KB, so each larger frame needs its reader running.
        std::string atWorker;
        HRESULT workerRead = E_FAIL;
        std::thread worker([&] { workerRead = ReadFrame(worker_.get(), &atWorker); });
        EXPECT_EQ(S_OK, host_->Write(sent, Deadline())) << size;
        worker.join();
        EXPECT_EQ(S_OK, workerRead) << size;
        EXPECT_TRUE(atWorker == sent) << "to the worker, " << size << " bytes";

        std::string atHost;
        HRESULT workerWrite = E_FAIL;
        std::thread answer([&] { workerWrite = WriteFrame(worker_.get(), sent); });
        EXPECT_EQ(S_OK, host_->Read(&atHost, Deadline())) << size;
        answer.join();
        EXPECT_EQ(S_OK, workerWrite) << size;
        EXPECT_TRUE(atHost == sent) << "to the host, " << size << " bytes";
    }
}

TEST_F(WorkerPipe, AFrameLongerThanItsHeaderSaysIsRefused)
{
    WorkerSendsRaw(Header(3) + "abcdef");
    std::string bytes;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_DATA), host_->Read(&bytes, Deadline()));
}

TEST_F(WorkerPipe, AFrameAnnouncingMoreThanTheLimitIsRefusedBeforeAnyIsKept)
{
    WorkerSendsRaw(Header(kMaxFrameBytes + 1) + "abc");
    std::string bytes;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_DATA), host_->Read(&bytes, Deadline()));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(WorkerPipe, AHeaderSentInPiecesIsWaitedFor)
{
    std::thread worker([&] {
        const std::string frame = Header(5) + "hello";
        for (char byte : frame) {
            DWORD written = 0;
            WriteFile(worker_.get(), &byte, 1, &written, nullptr);
            FlushFileBuffers(worker_.get());
        }
    });
    std::string bytes;
    EXPECT_EQ(S_OK, host_->Read(&bytes, Deadline()));
    worker.join();
    EXPECT_EQ("hello", bytes);
}

TEST_F(WorkerPipe, TheWorkerSeesAHostGoneBetweenFramesAsTheEnd)
{
    std::string bytes;
    std::thread worker([&] { EXPECT_EQ(S_FALSE, ReadFrame(worker_.get(), &bytes)); });
    host_.reset();
    worker.join();
}

TEST_F(WorkerPipe, AFrameCutShortByTheWorkersEndIsAFailureNotAFrame)
{
    WorkerSendsRaw(Header(100) + Pattern(40));
    worker_.reset();
    std::string bytes;
    EXPECT_TRUE(FAILED(host_->Read(&bytes, Deadline())));
}

} // namespace
