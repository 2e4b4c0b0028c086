#pragma once
#include <AudioUnit/AUComponent.h>
#include <AudioUnit/AudioUnitCarbonView.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <AudioUnit/MusicDevice.h>
#include <CoreFoundation/CoreFoundation.h>
