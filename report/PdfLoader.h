#pragma once
// Opens a report saved earlier as PDF, through the module that reads PDF (loaded on first
// use). Throws Failure naming the file, or saying the module is missing.

#include "PageSource.h"

#include <QString>
#include <memory>

std::unique_ptr<PageSource> OpenSavedPdf(const QString& path);
