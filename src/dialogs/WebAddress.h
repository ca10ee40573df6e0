#pragma once

// The product page of Kestovar at Ombrel Inc.: opened from the About dialog and shown by the main
// window. One constant so that the two can never disagree.
inline constexpr const char* OmbrelWebAddress = "https://www.ombrel.example/kestovar";
