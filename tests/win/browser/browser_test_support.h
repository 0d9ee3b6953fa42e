// What the browser tests share: a fixture that ends every process a test left behind, and the
// session as plain text for exact comparison.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/session.h"

// One window as "URL | title" per tab, in order.
using CWindowText = std::vector<std::wstring>;

std::vector<CWindowText> SessionText(const CSession& session);

// A session of windows given as lists of URLs, each tab titled after its URL.
CSession* NewSession(const std::vector<std::vector<std::wstring>>& windows);

class CBrowserTest : public testing::Test
{
protected:
    // Stand-ins end with their objects; this is for what a failed test left running.
    void TearDown() override;
};
