// Fixtures shared by the test programs live in this folder; this unit keeps the library whole
// while it holds headers only.
namespace testsupport { int linked = 1; }
