#include "expr_node.h"

#include <cmath>
#include <new>

namespace qv {

ExprNode* makeNode() { return new (std::nothrow) ExprNode(); }

ExprNode* makeConstant(double x) {
  ExprNode* n = makeNode();
  if (n) n->value = x;
  return n;
}

ExprNode* makeVariable(VarCode v) {
  ExprNode* n = makeNode();
  if (n) n->var = v;
  return n;
}

ExprNode* makeOperator(std::uint8_t k, ExprNode* left, ExprNode* right, const FunctionInfo* func) {
  ExprNode* n = makeNode();
  if (!n) {
    freeTree(left);
    freeTree(right);
    return nullptr;
  }
  n->kind = k;
  n->left = left;
  n->right = right;
  n->func = func;
  return n;
}

ExprNode* combine(ExprNode* left, ExprNode* right, std::uint8_t k, const FunctionInfo* func) {
  if (!right) return left;
  ExprNode* n = makeNode();
  if (!n) return nullptr;
  n->left = left;
  n->right = right;
  n->kind = k;
  n->func = func;
  return n;
}

ExprNode* copyTree(const ExprNode* tree) {
  if (!tree) return nullptr;
  ExprNode* n = makeNode();
  if (!n) return nullptr;
  n->value = tree->value;
  n->func = tree->func;
  n->kind = tree->kind;
  n->var = tree->var;
  n->left = copyTree(tree->left);
  n->right = copyTree(tree->right);
  return n;
}

void freeTree(ExprNode* tree) {
  if (!tree) return;
  freeTree(tree->left);
  freeTree(tree->right);
  delete tree;
}

void freeTokenChain(ExprNode* first) {
  while (first) {
    ExprNode* next = first->right;
    delete first;
    first = next;
  }
}

void countVariable(const ExprNode* tree, VarCode code, std::uint8_t& counter) {
  if (!tree) return;
  if (tree->var == code && tree->kind == kind::Value) ++counter;
  countVariable(tree->left, code, counter);
  countVariable(tree->right, code, counter);
}

bool containsVariable(const ExprNode* tree, VarCode code) {
  if (!tree) return false;
  if (tree->kind == kind::Value) return tree->var == code;
  return containsVariable(tree->left, code) || containsVariable(tree->right, code);
}

void replaceVariable(ExprNode* tree, VarCode from, VarCode to) {
  if (!tree) return;
  if (tree->var == from) tree->var = to;
  replaceVariable(tree->left, from, to);
  replaceVariable(tree->right, from, to);
}

std::int16_t toInt16(double x) {
  if (!(x > -32769.0 && x < 32768.0)) return INT16_MIN;
  return static_cast<std::int16_t>(x);  // truncates toward zero
}

bool isNonzeroEvenInteger(double x) {
  if (x == 0.0) return false;
  const int n = toInt16(x);
  return 2.0 * (n / 2) == x;
}

}  // namespace qv
