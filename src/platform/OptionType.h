#pragma once

// The kind of a setting, shared by filters' property pages and the frame that shows them.
enum class OptionType { Integer, Real, Boolean, Text, Choice };
