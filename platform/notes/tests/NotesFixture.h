// A data directory of its own for each test: notes.ini, databases built in
// memory and written in the stand-in's format, Notes initialised on it.
#pragma once
#include "platform/notes/NsfFile.h"

#include <gtest/gtest.h>
#include <notesapi.h>

#include <string>

class NotesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes notes.ini (extra lines appended) and initialises Notes on it.
    void StartNotes(const std::string& extraIni = std::string());
    std::wstring Path(const std::wstring& relative) const { return dataDir_ + L"\\" + relative; }
    std::string NarrowPath(const std::wstring& relative) const;
    void WriteDb(const std::wstring& relative, const nsf::DbData& data);
    DBHANDLE OpenDb(const std::wstring& relative);

    // A small database: one memo with text, list, time, rich text and a file.
    static nsf::DbData SampleDb();
    static nsf::NoteData& AddDocument(nsf::DbData& data, const std::string& subject);

    std::wstring dataDir_;
    bool started_ = false;
};
