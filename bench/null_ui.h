// A user interface that answers every question with its default and shows nothing, for benchmarks.
#pragma once

#include "ui.h"

using NullUi = vellum::SilentUi;
