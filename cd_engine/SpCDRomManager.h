// The CD and sound-file engine: disc positions, tables of contents, titles, start data.
#pragma once
