#pragma once
// The DICOM library's whole public interface.

#include "DCM_MESSAGE.h"
#include "PIXEL_Mem_ConvertorData.h"
#include "dcmCallbacks.h"
#include "dcmConvertor.h"
#include "dcmFileRecord.h"
#include "dcmReadTag.h"
#include "dcmReader.h"
#include "dcmServer.h"
#include "dcmTagEntry.h"
#include "dcmTypes.h"
#include "net/dcmEcho.h"
#include "net/dcmSender.h"
