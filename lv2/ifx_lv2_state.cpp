// The LV2 state extension on IFxLV2: one property holding the base's state chunk, the same bytes
// the Audio Unit class-info carries, so a host project restores every parameter bit for bit.
#include <climits>
#include <cstring>

#include "framework/byte_chunk.h"
#include "lv2/ifx_lv2.h"

LV2_State_Status IFxLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle) {
  if (!store) return LV2_STATE_ERR_UNKNOWN;
  // Keys and types are URIDs: without the host's map there is no way to name them.
  if (!mStateKey || !mChunkType) return LV2_STATE_ERR_NO_FEATURE;
  ByteChunk chunk;
  {
    // The ports are the truth, and a host may save before a run has applied what it set there. A run
    // on the audio thread takes no lock, so this one keeps only other host threads out.
    IMutexLock lock(this);
    TakeControlPortValues();
    if (!SerializeState(&chunk)) return LV2_STATE_ERR_UNKNOWN;
  }
  return store(handle, mStateKey, chunk.GetBytes(), static_cast<size_t>(chunk.Size()), mChunkType,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IFxLV2::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
  if (!retrieve) return LV2_STATE_ERR_UNKNOWN;
  if (!mStateKey || !mChunkType) return LV2_STATE_ERR_NO_FEATURE;
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* pValue = retrieve(handle, mStateKey, &size, &type, &flags);
  if (!pValue) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mChunkType) return LV2_STATE_ERR_BAD_TYPE;
  if (size > static_cast<size_t>(INT_MAX)) return LV2_STATE_ERR_UNKNOWN;
  ByteChunk chunk;
  if (chunk.PutBytes(pValue, static_cast<int>(size)) != static_cast<int>(size)) return LV2_STATE_ERR_UNKNOWN;

  IMutexLock lock(this);
  if (!RestoreOrRollBack(&chunk, 0, ERestoreScope::kState)) return LV2_STATE_ERR_UNKNOWN;
  RedrawParamControls();
  MarkControlsUnapplied();
  return LV2_STATE_SUCCESS;
}
