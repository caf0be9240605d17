#pragma once
// Every UI widget of the engine.

#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/FileBrowser.h"
#include "ui/Helper.h"
#include "ui/ImageView.h"
#include "ui/Layout.h"
#include "ui/LayoutComponent.h"
#include "ui/LayoutParameter.h"
#include "ui/Scale9Sprite.h"
#include "ui/Slider.h"
#include "ui/Text.h"
#include "ui/Widget.h"
