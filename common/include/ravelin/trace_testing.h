#pragma once
// For tests only: the product decides once per process whether to trace.

namespace ravelin::trace {

// Makes the next On() look at the configuration again.
void ForgetDecisionForTesting();

}  // namespace ravelin::trace
