#pragma once
// The component model in one include: objects, components, collections, string lists, streams.
#include "framework/core/Collection.h"
#include "framework/core/Component.h"
#include "framework/core/Persistent.h"
#include "framework/core/Streams.h"
#include "framework/core/Strings.h"

namespace qel {

}  // namespace qel
