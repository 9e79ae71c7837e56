#pragma once

// Every painted control kind beyond the plain SkinWidget.
#include "shell/option_widget.h"
#include "shell/tab_widget.h"
#include "shell/range_widget.h"
#include "shell/palette_widget.h"
#include "shell/edit_widget.h"
#include "shell/row_widget.h"
#include "shell/item_list_widget.h"
#include "shell/list_widget.h"
#include "shell/combo_widget.h"
#include "shell/chart_widget.h"
#include "shell/wnd_widget.h"
