# cmake -DIN=<text file> -DOUT=<copy> -P CrLf.cmake
# Copies a text file for Windows with CR LF line ends: Notepad before Windows 10 shows a file whose lines
# end in a bare LF as one line.
cmake_minimum_required(VERSION 3.25)
file(READ ${IN} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT}.new "${text}")
file(RENAME ${OUT}.new ${OUT})
