#pragma once

// Every painted control kind beyond the plain SkinWidget.
#include "widgets/option_widget.h"
#include "widgets/tab_widget.h"
#include "widgets/range_widget.h"
#include "widgets/palette_widget.h"
#include "widgets/edit_widget.h"
#include "widgets/row_widget.h"
#include "widgets/item_list_widget.h"
#include "widgets/list_widget.h"
#include "widgets/combo_widget.h"
#include "widgets/chart_widget.h"
#include "widgets/wnd_widget.h"
