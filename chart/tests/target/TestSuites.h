#pragma once
// Registration of the test classes that main.cpp runs.

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

using SuiteFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<SuiteFactory>& targetTestSuites();

template <typename T>
struct RegisterSuite {
    RegisterSuite() { targetTestSuites().push_back([] { return std::make_unique<T>(); }); }
};
