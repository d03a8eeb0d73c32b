#pragma once
// The lower area: it includes nothing of the other.
