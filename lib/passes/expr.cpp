// The expression evaluator: folds an expression tree to an unsigned 32-bit value.
//
// The walk uses an explicit stack, so a chain of a million operators on one
// line costs heap, not machine stack. Children are finished left before right,
// which keeps the order of the messages the same as a recursive walk's.
#include <cmath>

#include "asm_passes.h"

namespace {

enum expr_op { OP_NUM, OP_IDENT, OP_ADD, OP_SUB, OP_MUL, OP_DIV, OP_MOD, OP_POW,
               OP_AND, OP_OR, OP_XOR, OP_NEG, OP_NOT, OP_OTHER };

// The opcode's operator; the names are told apart letter by letter rather
// than by up to thirteen string comparisons per node. A letter is read only
// after the one before it matched one that is not the end.
expr_op op_of(char const* o) {
  static expr_op const ops[] = {OP_NUM, OP_ADD, OP_SUB, OP_MUL, OP_DIV, OP_MOD,
                                OP_POW, OP_AND, OP_XOR, OP_NEG, OP_NOT};
  static char const names[] = "numaddsubmuldivmodpowandxornegnot";
  if (o[0] == 'i') return text_is(o, "ident") ? OP_IDENT : OP_OTHER;
  if (o[0] == 'o') return o[1] == 'r' && o[2] == 0 ? OP_OR : OP_OTHER;
  for (size_t i = 0; i < sizeof ops / sizeof ops[0]; ++i)
    if (o[0] == names[3 * i] && o[1] == names[3 * i + 1] && o[2] == names[3 * i + 2])
      return o[3] == 0 ? ops[i] : OP_OTHER;
  return OP_OTHER;
}

struct frame {
  asm_expr* e;
  expr_op op;
  int state;  // 0: nothing done, 1: left done, 2: both done
};

struct value {
  unsigned int v;
  bool valid;
};

// A stack that lives on the machine stack while it is shallow, which is
// nearly always: only a deep expression costs heap.
template <typename T, size_t N>
class small_stack {
 public:
  small_stack() = default;
  small_stack(small_stack const&) = delete;
  small_stack& operator=(small_stack const&) = delete;
  bool empty() const { return n_ == 0; }
  T& back() { return data_[n_ - 1]; }
  void pop_back() { --n_; }
  void push_back(T const& v) {
    if (n_ == cap_) grow();
    data_[n_++] = v;
  }

 private:
  void grow() {
    if (data_ == local_) big_.assign(local_, local_ + n_);
    big_.resize(cap_ * 2);
    data_ = big_.data();
    cap_ = big_.size();
  }
  T local_[N];
  std::vector<T> big_;
  T* data_ = local_;
  size_t cap_ = N;
  size_t n_ = 0;
};

}  // namespace

unsigned int asm_passes::expression_walker(asm_expr* expr, bool& valid, std::string const& file,
                                           unsigned int line, unsigned int arg_idx,
                                           bool reg_allowed, bool report_undefined,
                                           bool first_pass) {
  valid = false;
  // The argument number is only spelled out for a message.
  auto arg = [arg_idx] { return num2str(arg_idx); };
  // Each message is about the node at hand: a symbol, a number, an operator's operands.
  auto error = [&](asm_expr const* e, std::string const& text) {
    asm_module::post_msg(text, asm_module::MLV_ERROR, file, line, range_of(e, line));
  };
  auto warning = [&](asm_expr const* e, char const* text) {
    asm_module::post_msg(text, asm_module::MLV_WARNING, file, line, range_of(e, line));
  };
  auto leaf = [&](asm_expr* e, expr_op op) -> value {
    if (op == OP_NUM) {
      try {
        return {e->parse_num(), true};
      } catch (std::string const& why) {
        error(e, "Argument " + arg() + ": " + why);
        return {0, false};
      }
    }
    if (op != OP_IDENT) return {0, false};
    auto it = is_lower_case(e->data) ? ir.sym_tab.find(e->data) : ir.sym_tab.find(tolower(e->data));
    if (it == ir.sym_tab.end()) {
      if (report_undefined)
        error(e, "Found undefined symbol '" + toupper(e->data) + "' in argument " + arg() + ".");
      return {0, false};
    }
    sym_type const& s = it->second;
    if ((s.type == STO_REG || s.type == STO_USER_REG) && !reg_allowed) {
      error(e, "Register symbol '" + toupper(e->data) +
            "' cannot be used as variable expressions in argument " + arg() + ".");
      return {0, false};
    }
    return {s.value, s.assignable};
  };

  if (!expr) return 0;
  expr_op const root_op = op_of(expr->opcode);
  if (root_op < OP_ADD || root_op == OP_OTHER) {  // a lone leaf, the common case
    value r = leaf(expr, root_op);
    valid = r.valid;
    return r.v;
  }
  small_stack<frame, 32> stack;
  small_stack<value, 32> values;
  stack.push_back({expr, root_op, 0});
  while (!stack.empty()) {
    frame& f = stack.back();
    asm_expr* e = f.e;
    expr_op op = f.op;
    bool unary = op == OP_NEG || op == OP_NOT;
    bool binary = op >= OP_ADD && op <= OP_XOR;
    if (!unary && !binary) {
      values.push_back(leaf(e, op));
      stack.pop_back();
      continue;
    }
    asm_expr* next = nullptr;
    if (f.state == 0) next = e->left;
    else if (f.state == 1 && binary) next = e->right;
    if (f.state == 0 || (f.state == 1 && binary)) {
      f.state++;
      if (next) stack.push_back({next, op_of(next->opcode), 0});
      else values.push_back({0, false});
      continue;
    }
    stack.pop_back();
    if (unary) {
      value& a = values.back();
      a.v = op == OP_NEG ? 0u - a.v : ~a.v;
      continue;
    }
    value r = values.back();
    values.pop_back();
    value& l = values.back();
    unsigned long long L = l.v, R = r.v, res = 0;
    switch (op) {
      case OP_ADD:
        res = L + R;
        if (res > 0xFFFFFFFFull && first_pass) warning(e, "Addition operator causes unsigned 32-bit overflow.");
        break;
      case OP_SUB:
        res = L - R;
        if (L < R && !first_pass) warning(e, "Subtratcion operator causes unsigned 32-bit underflow.");
        break;
      case OP_MUL:
        res = L * R;
        if (res > 0xFFFFFFFFull && first_pass) warning(e, "Multiplication operator causes unsigned 32-bit overflow.");
        break;
      case OP_DIV:
      case OP_MOD:
        if (R == 0) error(e, "Division by zero in argument " + arg() + ".");
        else res = op == OP_DIV ? L / R : L % R;
        break;
      case OP_POW: {
        double p = std::pow((double)L, (double)R);
        unsigned long long P = (p >= 18446744073709551616.0 || !(p >= 0)) ? 0 : (unsigned long long)p;
        if ((P == 0 || P > 0xFFFFFFFFull) && first_pass) warning(e, "Power operator causes unsigned 32-bit overflow.");
        res = P;
        break;
      }
      case OP_AND: res = L & R; break;
      case OP_OR: res = L | R; break;
      case OP_XOR: res = L ^ R; break;
      default: break;
    }
    l.v = (unsigned int)res;
    l.valid = l.valid && r.valid;
  }
  valid = values.back().valid;
  return values.back().v;
}
