#pragma once

// The formatter lives in the core now, where the end-of-batch sentences need it too.
#include "TarvelCore/ByteCountFormat.h"
