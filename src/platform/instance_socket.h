#pragma once
// placeholder, filled below
