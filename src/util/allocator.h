#pragma once
// The allocator's settings of our programs, set once at the start of main.
//
// A transfer loads, merges and writes one agency's table after the other: a
// few megabytes each time, freed at the end of the agency. With the C
// library's defaults, blocks that large are mapped and unmapped, or the top
// of the heap is given back, so every agency faults the same pages in again
// (thousands of faults a run, several microseconds each, about a fifth of the
// run's processor time on a virtual machine). Freed memory is kept instead,
// for the next agency: the process stays at its largest size until it ends.
namespace corv {

void KeepFreedMemory();

}  // namespace corv
