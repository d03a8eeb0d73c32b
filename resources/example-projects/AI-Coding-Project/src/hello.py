"""A first program to grow with your AI agent."""


def greeting(name: str = "world") -> str:
    return f"Hello, {name}!"


if __name__ == "__main__":
    print(greeting())
