#pragma once

#include <QByteArray>
#include <QFile>

// Whole files read a slice at a time. One read() of a large file is one system call, and a kernel
// that does not preempt system calls keeps a shared CPU from the UI thread until it is done.
namespace FileSlices {

// The whole of an open file into `bytes`. The buffer keeps its memory from the file before and
// grows to this file's size and one byte (to see its end without growing): a folder's files are
// read into the same memory.
void read(QFile& file, QByteArray& bytes);
QByteArray read(QFile& file);

} // namespace FileSlices
