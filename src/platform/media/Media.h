#pragma once
// The media platform layer in one include.
#include "platform/media/CaptureGraphBuilder.h"
#include "platform/media/Com.h"
#include "platform/media/ContainerCodecs.h"
#include "platform/media/ConfigAsfWriter.h"
#include "platform/media/DeviceEnum.h"
#include "platform/media/Filter.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/Guid.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/PropertyPages.h"
#include "platform/media/StreamCopy.h"
#include "platform/media/VideoFileTypes.h"
